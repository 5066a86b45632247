// The front panel in the browser. The page sends intents ("up 3", "preset 4",
// "enter 12.5"); the server applies the panel's rules and pushes the state.
"use strict";

const order = [6, 5, 4, 3, 2, 0, 1]; // readout columns; 0 is the point
const $ = (id) => document.getElementById(id);
let socket = null;
let texts = { zeroTitle: "Set to ZERO", zeroPrompt: "Set to ZERO\r\rAre You Sure?" };

function send(intent) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(intent);
}

function buildDial() {
  for (const [row, verb, sign] of [[$("ups"), "up", "\u25B2"], [$("downs"), "down", "\u25BC"]]) {
    for (const digit of order) {
      if (digit === 0) { row.appendChild(document.createElement("span")); continue; }
      const b = document.createElement("button");
      b.type = "button";
      b.id = verb + digit;
      b.textContent = sign;
      b.dataset.digit = digit;
      b.setAttribute("aria-label", verb + " digit " + digit);
      b.addEventListener("click", () => send(verb + " " + digit));
      b.addEventListener("keydown", (e) => {
        if (e.key === "ArrowUp" || e.key === "ArrowDown") {
          e.preventDefault();
          send((e.key === "ArrowUp" ? "up " : "down ") + digit);
        }
      });
      row.appendChild(b);
    }
  }
  for (const digit of order) {
    const cell = document.createElement("span");
    if (digit === 0) { cell.className = "point"; cell.textContent = "."; }
    else { cell.className = "d" + digit; cell.id = "digit" + digit; cell.dataset.digit = digit; cell.textContent = "0"; }
    $("readout").appendChild(cell);
  }
  // The wheel over a digit or its arrows steps that digit, one notch a step.
  let wheelRest = 0;
  $("dial").addEventListener("wheel", (e) => {
    const target = e.target.closest("[data-digit]");
    if (!target) return;
    e.preventDefault();
    wheelRest += e.deltaY;
    while (Math.abs(wheelRest) >= 100) {
      send((wheelRest < 0 ? "up " : "down ") + target.dataset.digit);
      wheelRest -= Math.sign(wheelRest) * 100;
    }
  }, { passive: false });
}

function ask(title, text, question) {
  const dialog = $("ask");
  $("ask-title").textContent = title;
  $("ask-text").textContent = text.replace(/\r/g, "\n");
  $("ask-yes").hidden = !question;
  $("ask-no").hidden = !question;
  $("ask-ok").hidden = question;
  return new Promise((resolve) => {
    dialog.addEventListener("close", () => resolve(dialog.returnValue === "yes"), { once: true });
    dialog.returnValue = "";
    dialog.showModal();
    (question ? $("ask-yes") : $("ask-ok")).focus();
  });
}

function showState(s) {
  if (s.zeroTitle) texts = { zeroTitle: s.zeroTitle, zeroPrompt: s.zeroPrompt };
  if (s.readout && s.readout.length === 7) {
    const chars = [...s.readout];
    order.forEach((digit, column) => { if (digit) $("digit" + digit).textContent = chars[column]; });
    $("readout").dataset.value = s.readout;
  }
  const lamp = $("lamp");
  lamp.className = s.lamp || "grey";
  lamp.title = s.tooltip || "";
  $("lamp-caption").textContent = s.caption || "";
  $("setby").textContent = s.by ? "Set by " + s.by + (s.at ? " at " + s.at : "") : "";
  showProfile(s);
}

// The footer's part of the box's profile: the true-ohms switch (shown when
// the profile has a correction table), the box, and the caption's note: a
// refusal, the true value the box holds, the overdue warning.
function showProfile(s) {
  $("true-switch").hidden = !s.trueOffered;
  $("true-mode").checked = !!s.trueMode;
  const box = [s.boxName, s.boxSerial ? "serial " + s.boxSerial : "",
    s.leadOffset ? "leads " + s.leadOffset + " \u03A9" : ""].filter((t) => t).join(", ");
  $("box-name").textContent = box;
  const note = s.note || s.trueText || "";
  const overdue = s.overdue && !note.includes(s.overdue) ? s.overdue : "";
  $("note").textContent = [note, overdue].filter((t) => t).join(" \u2014 ");
}

function connect() {
  socket = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/ws");
  socket.onopen = () => { $("connection").textContent = "Connected to " + location.host; };
  socket.onmessage = (event) => {
    const message = JSON.parse(event.data);
    document.dispatchEvent(new CustomEvent("panelmessage", { detail: message })); // the plot's too
    if (message.type === "state") showState(message);
    else if (message.type === "message") ask(message.title, message.text, false);
  };
  socket.onclose = () => {
    $("connection").textContent = "Not connected: trying again";
    setTimeout(connect, 2000);
  };
}

async function loadIdentification() {
  try {
    const xml = new DOMParser().parseFromString(await (await fetch("/lxi/identification")).text(), "text/xml");
    const all = (name) => [...xml.getElementsByTagName(name)].map((e) => e.textContent);
    $("id-maker").textContent = all("Manufacturer").join();
    $("id-model").textContent = all("Model").join();
    $("id-version").textContent = all("FirmwareRevision").join();
    $("id-host").textContent = all("Hostname").join();
    $("id-port").textContent = all("ManufacturerDescription").join().replace(/^.*? on /, "");
    $("id-addresses").textContent = all("IPAddress").join(", ");
    $("id-visa").textContent = all("InstrumentAddressString").join("\n");
  } catch (e) { /* the panel works without it */ }
}

buildDial();
document.querySelectorAll("[data-preset]").forEach((b) =>
  b.addEventListener("click", () => send("preset " + b.dataset.preset)));
$("preset0").addEventListener("click", async () => {
  if (await ask(texts.zeroTitle, texts.zeroPrompt, true)) send("zero");
});
$("entry").addEventListener("submit", (e) => {
  e.preventDefault();
  send("enter " + $("typed").value.replace(/[\x00-\x1f\x7f]/g, ""));
});
$("lamp").addEventListener("click", () => send("resend"));
$("true-mode").addEventListener("change", (e) => {
  // The server's state sets the switch; a refusal comes back as a message.
  send(e.target.checked ? "true on" : "true off");
  e.target.checked = !e.target.checked;
});
document.addEventListener("keydown", (e) => { if (e.key === "F5") { e.preventDefault(); send("resend"); } });
setInterval(() => send("ping"), 20000);
connect();
loadIdentification();
