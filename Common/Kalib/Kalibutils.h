#pragma once
// Library diagnostics.
#include <functional>
#include <string>

// Takes one diagnostic text and discards it; a sink installed with KasetTraceSink sees it first.
void Katrace(const std::string& text);

// Lets a test (or a log) see what is traced; an empty function removes the sink.
void KasetTraceSink(std::function<void(const std::string&)> sink);
