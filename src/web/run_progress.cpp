#include "web/run_progress.h"

#include "common/decimal_text.h"
#include "web/json_text.h"

namespace zz::web {

std::string progressJson(const std::optional<RunProgress> &progress) {
    if (!progress) return "null";
    std::string json = "{\"step\":" + std::to_string(progress->step) +
                       ",\"steps\":" + std::to_string(progress->steps) +
                       ",\"text\":" + jsonString(progress->text) + ",\"targetOhms\":";
    json += progress->targetOhms ? common::decimalText(*progress->targetOhms, 1, 1) : "null";
    json += ",\"secondsLeft\":";
    json += progress->timeLeft ? std::to_string(progress->timeLeft->count()) : "null";
    return json + "}";
}

}  // namespace zz::web
