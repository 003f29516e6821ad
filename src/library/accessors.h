// The logic behind the exported accessors, over one Library.
#pragma once
#include "lntc/lntc.h"

#include <cstdint>

namespace lntc {

class Library;

uint32_t GetConfig(Library& lib, const ServerConfig** config, uint32_t version);
uint32_t GetQueueName(Library& lib, int32_t index, const char** name);
uint32_t GetQueue(Library& lib, const char* name, const QueueRecord** queue, uint32_t version);
uint32_t RetainFiles(Library& lib, const char* name, int32_t retain);
uint32_t IsPostScriptPrinter(Library& lib, const char* name);
uint32_t NeedKanjiDiskFonts(Library& lib, int32_t clear);

} // namespace lntc
