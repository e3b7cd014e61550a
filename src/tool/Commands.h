#pragma once

// Every qbtool command, one factory each. A new command is a class derived
// from Command (or BookCommand, when it reads a book) in a file of its own,
// with its factory declared here and listed in AllCommands (Tool.cpp).

#include <memory>

#include "tool/Command.h"

namespace qb {

std::unique_ptr<Command> MakeNewCommand();
std::unique_ptr<Command> MakeDumpCommand();
std::unique_ptr<Command> MakePackCommand();
std::unique_ptr<Command> MakeCheckCommand();
std::unique_ptr<Command> MakeEncryptCommand();
std::unique_ptr<Command> MakeDecryptCommand();
std::unique_ptr<Command> MakeBackupsCommand();
std::unique_ptr<Command> MakeExportCommand();
std::unique_ptr<Command> MakeReportCommand();
std::unique_ptr<Command> MakeSearchCommand();
std::unique_ptr<Command> MakeChartCommand();
std::unique_ptr<Command> MakeDeletedCommand();
std::unique_ptr<Command> MakeRestoreCommand();
std::unique_ptr<Command> MakeImportCommand();
std::unique_ptr<Command> MakeReconcileCommand();

} // namespace qb
