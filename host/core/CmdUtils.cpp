#include "CmdUtils.h"

#include <memory>

#include "Boss.h"
#include "UndoHistory.h"

namespace {
ErrorCode gGlobalError = kSuccess;
}

ErrorCode ErrorUtils::PMGetGlobalErrorCode() { return gGlobalError; }

void ErrorUtils::PMSetGlobalErrorCode(ErrorCode code, const void*, const void*, const void*) { gGlobalError = code; }

ICommand* CmdUtils::CreateCommand(ClassID commandClass) {
    tshost::Boss* boss = tshost::Boss::Create(commandClass);
    if (!boss) return nullptr;
    auto* command = static_cast<ICommand*>(boss->QueryInterface(IID_OF<ICommand>()));
    boss->Release();
    return command;
}

ErrorCode CmdUtils::ProcessCommand(ICommand* command) {
    if (!command) return kInvalidParameterError;
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    std::unique_ptr<PMString> name(command->CreateName());
    tshost::UndoHistory& undo = tshost::UndoHistory::Get();
    undo.BeginStep(name ? *name : PMString("Command", PMString::kNoTranslate));
    command->Do();
    ErrorCode result = ErrorUtils::PMGetGlobalErrorCode();
    if (result == kSuccess) command->DoNotify();
    undo.EndStep();
    return result;
}
