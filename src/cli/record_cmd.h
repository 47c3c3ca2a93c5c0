#pragma once
// quellan-bx-cli record: the data recorder headless, into the recorder file.
namespace bx::cli {

bool IsRecordCommand(const char* name);
const char* RecordCommandUsage();
int RunRecordCommand(int argc, char** argv);

}  // namespace bx::cli
