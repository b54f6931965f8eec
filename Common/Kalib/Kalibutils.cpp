#include "Common/Kalib/Kalibutils.h"

#include <utility>

namespace {

std::function<void(const std::string&)>& TraceSink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}

}  // namespace

void Katrace(const std::string& text) {
  // The library keeps no log of its own; whoever installed a sink gets the text.
  if (const auto& sink = TraceSink()) sink(text);
}

void KasetTraceSink(std::function<void(const std::string&)> sink) { TraceSink() = std::move(sink); }
