// Creating and running commands. User-interface thread only.
#pragma once

#include "ICommand.h"
#include "IDTypes.h"

class CmdUtils {
public:
    // A counted command on a new boss of the class, or null when the class is no command.
    static ICommand* CreateCommand(ClassID commandClass);
    // Runs Do and, when it set no error, DoNotify, as one undoable step. Returns the error
    // code the command left (0 on success).
    static ErrorCode ProcessCommand(ICommand* command);
};

class ErrorUtils {
public:
    static ErrorCode PMGetGlobalErrorCode();
    static void PMSetGlobalErrorCode(ErrorCode code, const void* = nullptr, const void* = nullptr, const void* = nullptr);
};
