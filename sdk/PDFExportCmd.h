// The host's PDF export command, made with CmdUtils::CreateCommand(kPDFExportCmdBoss). Its
// boss carries the parameters: IPDFExportPrefs (the settings), ISysFileData (the PDF file),
// IUIFlagData (what it may show) and IOutputPages (what it writes). ProcessCommand writes
// the PDF and returns 0, or returns non-zero with nothing written at the file's path.
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

constexpr ClassID kPDFExportCmdBoss{0x2505};
