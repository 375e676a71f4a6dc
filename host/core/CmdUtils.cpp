#include "CmdUtils.h"

#include <memory>

#include "Boss.h"
#include "Guard.h"
#include "HexText.h"
#include "UndoHistory.h"

namespace {
ErrorCode gGlobalError = kSuccess;
}

ErrorCode ErrorUtils::PMGetGlobalErrorCode() { return gGlobalError; }

void ErrorUtils::PMSetGlobalErrorCode(ErrorCode code, const void*, const void*, const void*) { gGlobalError = code; }

ICommand* CmdUtils::CreateCommand(ClassID commandClass) {
    return tshost::Guarded<ICommand*>("creating command " + tshost::Hex(commandClass.Get()), nullptr, [&]() -> ICommand* {
        tshost::Boss* boss = tshost::Boss::Create(commandClass);
        if (!boss) return nullptr;
        auto* command = static_cast<ICommand*>(boss->QueryInterface(IID_OF<ICommand>()));
        boss->Release();
        return command;
    });
}

ErrorCode CmdUtils::ProcessCommand(ICommand* command) {
    if (!command) return kInvalidParameterError;
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    std::unique_ptr<PMString> name(
        tshost::Guarded<PMString*>("naming a command", nullptr, [&] { return command->CreateName(); }));
    const PMString label = name ? *name : PMString("Command", PMString::kNoTranslate);
    tshost::UndoHistory& undo = tshost::UndoHistory::Get();
    undo.BeginStep(label);
    ErrorCode result = tshost::Guarded<ErrorCode>(label.GetUTF8String(), kFailure, [&] {
        command->Do();
        ErrorCode done = ErrorUtils::PMGetGlobalErrorCode();
        if (done == kSuccess) command->DoNotify();
        return done;
    });
    // A command that threw still ends its step, so that later commands are not folded into it.
    // Ending it reads the changed data back and saves the workspace: guarded as well.
    tshost::Guarded<bool>("ending the step of " + label.GetUTF8String(), false, [&] {
        undo.EndStep();
        return true;
    });
    if (result != kSuccess) ErrorUtils::PMSetGlobalErrorCode(result);
    return result;
}
