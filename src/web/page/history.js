// Where the box has been: the values set over the last hour as a step plot
// (the box holds a value until the next command), the temperature beside it
// when a sensor's value set it, and who set each one on hover or tap. Drawn
// on a canvas by the page itself. The server sends the hour once when the
// page connects ("whole"), then each value as it is set.
"use strict";

const panelHistory = (() => {
  const HOUR = 3600e3;
  const $ = (id) => document.getElementById(id);
  const canvas = $("history-plot");
  const tip = $("history-tip");
  // Columns, oldest first; `by` indexes `senders`.
  let t = [], ohms = [], celsius = [], by = [], numbers = [];
  let senders = [], senderIndex = new Map();
  let lastNumber = 0;
  let drawn = { count: 0, last: 0, at: 0 };
  let frame = 0;
  let pointed = null; // the time under the pointer, while it is there
  let layout = null;  // what the last draw mapped, for the pointer

  function senderOf(name) {
    let index = senderIndex.get(name);
    if (index === undefined) {
      index = senders.length;
      senders.push(name);
      senderIndex.set(name, index);
    }
    return index;
  }

  // One "history" message: the whole hour, or what was set since.
  function take(message) {
    if (message.whole) {
      t = []; ohms = []; celsius = []; by = []; numbers = [];
      senders = []; senderIndex = new Map(); lastNumber = -Infinity;
    }
    const names = message.senders.map(senderOf);
    for (let i = 0; i < message.n.length; i++) {
      if (message.n[i] <= lastNumber) continue; // sent twice around a page's start
      lastNumber = message.n[i];
      numbers.push(message.n[i]);
      t.push(message.t[i]);
      ohms.push(message.ohms[i]);
      celsius.push(message.celsius[i]);
      by.push(names[message.by[i]]);
    }
    schedule();
  }

  // The first entry at or after `time`, by halves.
  function firstFrom(time) {
    let low = 0, high = t.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (t[middle] < time) low = middle + 1; else high = middle;
    }
    return low;
  }

  // Entries older than the one held when the hour began are let go.
  function prune(begin) {
    const cut = firstFrom(begin) - 1;
    if (cut < 1000) return;
    for (const column of [t, ohms, celsius, by, numbers]) column.splice(0, cut);
  }

  function niceStep(range, count) {
    const rough = range / count;
    const power = Math.pow(10, Math.floor(Math.log10(rough)));
    for (const m of [1, 2, 5, 10]) if (m * power >= rough) return m * power;
    return 10 * power;
  }

  function ticks(low, high, count) {
    const step = niceStep(high - low, count);
    const out = [];
    for (let v = Math.ceil(low / step) * step; v <= high + step * 1e-9; v += step) out.push(v);
    return { values: out, step };
  }

  function ohmsLabel(value, step) {
    if (Math.abs(value) >= 1000 && step >= 100) return +(value / 1000).toFixed(step >= 1000 ? 0 : 1) + "k";
    return value.toFixed(step >= 1 ? 0 : 1);
  }

  // Range of the values drawn, with a margin; a flat line gets one too.
  function span(values, start) {
    let low = Infinity, high = -Infinity;
    for (let i = start; i < values.length; i++) {
      const v = values[i];
      if (v === null) continue;
      if (v < low) low = v;
      if (v > high) high = v;
    }
    if (low === Infinity) return null;
    const pad = high > low ? (high - low) * 0.08 : Math.max(Math.abs(high) * 0.05, 1);
    return [Math.max(values === ohms ? 0 : -Infinity, low - pad), high + pad];
  }

  // The step line of one column; null values lift the pen. Entries that fall
  // in one pixel column become one vertical stroke, so an hour of a fast ramp
  // costs a few points a column.
  function stepPath(ctx, values, start, xOf, yOf, xEnd) {
    ctx.beginPath();
    let held = null, column = null, low = 0, high = 0;
    const flush = () => {
      if (column === null || held === null) return;
      ctx.lineTo(column, low); ctx.lineTo(column, high); ctx.lineTo(column, held);
    };
    for (let i = start; i < values.length; i++) {
      const x = Math.round(xOf(t[i]));
      if (x !== column) {
        flush();
        if (held !== null) { ctx.lineTo(x, held); low = high = held; }
        column = x;
      }
      if (values[i] === null) { held = null; continue; }
      const y = yOf(values[i]);
      if (held === null) { ctx.moveTo(x, y); low = high = y; }
      held = y;
      low = Math.min(low, y);
      high = Math.max(high, y);
    }
    flush();
    if (held !== null) ctx.lineTo(xEnd, held);
    ctx.stroke();
  }

  function clockText(time, seconds) {
    const d = new Date(time);
    const two = (n) => String(n).padStart(2, "0");
    let text = two(d.getHours()) + ":" + two(d.getMinutes());
    if (seconds) text += ":" + two(d.getSeconds()) + "." + String(d.getMilliseconds()).padStart(3, "0");
    return text;
  }

  function draw() {
    frame = 0;
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth, height = canvas.clientHeight;
    if (canvas.width !== Math.round(width * ratio) || canvas.height !== Math.round(height * ratio)) {
      canvas.width = Math.round(width * ratio);
      canvas.height = Math.round(height * ratio);
    }
    const ctx = canvas.getContext("2d");
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    ctx.clearRect(0, 0, width, height);
    const now = Date.now(), begin = now - HOUR;
    prune(begin);
    const start = Math.max(0, firstFrom(begin) - 1); // the value held when the hour began
    const r = span(ohms, start);
    const c = span(celsius, start);
    const box = { left: 52, right: width - (c ? 44 : 10), top: 18, bottom: height - 22 };
    const xOf = (time) => box.left + (Math.max(time, begin) - begin) / HOUR * (box.right - box.left);
    ctx.font = "11px Arial, 'Liberation Sans', sans-serif";
    ctx.lineWidth = 1;
    ctx.strokeStyle = "#999";
    ctx.strokeRect(box.left, box.top, box.right - box.left, box.bottom - box.top);
    // Time: every 10 minutes, fewer on a narrow screen.
    ctx.fillStyle = "#000";
    ctx.textAlign = "center";
    const minutes = box.right - box.left < 300 ? 20 : 10;
    const tick = minutes * 60e3;
    for (let time = Math.ceil(begin / tick) * tick; time <= now; time += tick) {
      const x = xOf(time);
      ctx.fillText(clockText(time, false), x, height - 6);
      ctx.fillRect(x, box.bottom, 1, 4);
    }
    layout = { xOf, begin, box, start };
    if (!r) {
      ctx.fillText("No value set since the server started", (box.left + box.right) / 2, (box.top + box.bottom) / 2);
      drawn = { count: 0, last: lastNumber, at: performance.timeOrigin + performance.now() };
      canvas.dataset.points = "0";
      return;
    }
    const axis = (range, side, colour, label, format) => {
      const yOf = (v) => box.bottom - (v - range[0]) / (range[1] - range[0]) * (box.bottom - box.top);
      const { values, step } = ticks(range[0], range[1], 4);
      ctx.fillStyle = colour;
      ctx.textAlign = side === "left" ? "right" : "left";
      for (const v of values) {
        const y = yOf(v);
        ctx.fillText(format(v, step), side === "left" ? box.left - 4 : box.right + 4, y + 4);
        if (side === "left") { ctx.fillStyle = "#e4e4e4"; ctx.fillRect(box.left + 1, y, box.right - box.left - 2, 1); ctx.fillStyle = colour; }
      }
      ctx.fillText(label, side === "left" ? box.left - 4 : box.right + 4, 12);
      return yOf;
    };
    const yOhms = axis(r, "left", "rgb(0, 0, 128)", "\u03A9", ohmsLabel);
    ctx.lineWidth = 2;
    ctx.strokeStyle = "rgb(0, 0, 128)";
    stepPath(ctx, ohms, start, xOf, yOhms, box.right);
    let yCelsius = null;
    if (c) {
      yCelsius = axis(c, "right", "rgb(192, 0, 0)", "\u00B0C", (v, step) => v.toFixed(step >= 1 ? 0 : 1));
      ctx.setLineDash([5, 3]);
      ctx.strokeStyle = "rgb(192, 0, 0)";
      stepPath(ctx, celsius, start, xOf, yCelsius, box.right);
      ctx.setLineDash([]);
    }
    layout.yOhms = yOhms;
    if (pointed !== null) showTip(pointed);
    drawn = { count: t.length - start, last: lastNumber, at: performance.timeOrigin + performance.now() };
    canvas.dataset.points = String(drawn.count);
    canvas.dataset.last = String(lastNumber);
  }

  function schedule() {
    if (!frame) frame = requestAnimationFrame(draw);
  }

  // Who set the value held at the time under the pointer, and when.
  function showTip(time) {
    if (!layout) return;
    const i = firstFrom(time + 1) - 1;
    if (i < layout.start || i < 0) { tip.hidden = true; return; }
    const temperature = celsius[i] === null ? "" : " (" + celsius[i].toFixed(3).replace(/\.?0+$/, "") + " \u00B0C)";
    tip.textContent = ohms[i].toFixed(1) + " \u03A9" + temperature + "\nset by " + senders[by[i]] +
      "\nat " + clockText(t[i], true);
    tip.hidden = false;
    const x = layout.xOf(t[i]);
    const room = canvas.clientWidth - tip.offsetWidth;
    tip.style.left = Math.max(0, Math.min(room, x - tip.offsetWidth / 2)) + "px";
    tip.style.top = Math.max(0, layout.yOhms(ohms[i]) - tip.offsetHeight - 8) + "px";
    tip.dataset.number = String(numbers[i]);
  }

  function pointAt(event) {
    if (!layout) return;
    const rect = canvas.getBoundingClientRect();
    const x = event.clientX - rect.left;
    const box = layout.box, slack = 8; // a finger's width beyond the frame still counts
    if (x < box.left - slack || x > box.right + slack) { pointed = null; tip.hidden = true; return; }
    const inside = Math.min(box.right, Math.max(box.left, x));
    pointed = layout.begin + (inside - box.left) / (box.right - box.left) * HOUR;
    showTip(pointed);
  }

  canvas.addEventListener("pointermove", pointAt);
  canvas.addEventListener("pointerdown", pointAt);
  canvas.addEventListener("pointerleave", (e) => {
    if (e.pointerType === "mouse") { pointed = null; tip.hidden = true; }
  });
  new ResizeObserver(schedule).observe(canvas);
  // The hour moves on: one redraw per pixel of time, at most once a second.
  const tickRedraw = () => {
    schedule();
    setTimeout(tickRedraw, Math.max(1000, HOUR / Math.max(1, canvas.clientWidth)));
  };
  tickRedraw();

  function showProgress(progress) {
    const line = $("progress");
    if (!progress) { line.hidden = true; line.textContent = ""; return; }
    const parts = ["Step " + progress.step + (progress.steps ? " of " + progress.steps : "")];
    if (progress.text) parts.push(progress.text);
    if (progress.targetOhms !== null) parts.push("target " + progress.targetOhms.toFixed(1) + " \u03A9");
    if (progress.secondsLeft !== null) {
      const s = progress.secondsLeft;
      parts.push((s >= 3600 ? Math.floor(s / 3600) + ":" + String(Math.floor(s / 60) % 60).padStart(2, "0")
        : Math.floor(s / 60)) + ":" + String(s % 60).padStart(2, "0") + " left");
    }
    line.textContent = parts.join(" \u00B7 ");
    line.hidden = false;
  }

  document.addEventListener("panelmessage", (e) => {
    const message = e.detail;
    if (message.type === "history") take(message);
    else if (message.type === "state") showProgress(message.progress);
  });

  // For tests and benchmarks: what the plot holds for the last hour, and
  // when it last drew.
  return {
    take,
    drawn: () => drawn,
    // Where entry `n` begins its step, from the plot's centre (as WebDriver
    // moves a pointer).
    offsetOf: (n) => {
      const i = numbers.indexOf(n);
      if (i < 0 || !layout) return null;
      return { x: layout.xOf(t[i]) - canvas.clientWidth / 2, y: layout.yOhms(ohms[i]) - canvas.clientHeight / 2 };
    },
    points: () => {
      const start = Math.max(0, firstFrom(Date.now() - HOUR) - 1);
      const out = [];
      for (let i = start; i < t.length; i++)
        out.push({ n: numbers[i], t: t[i], ohms: ohms[i], celsius: celsius[i], by: senders[by[i]] });
      return out;
    },
  };
})();
