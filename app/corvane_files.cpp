#include "app/corvane.h"

namespace corvane {

void TCorvane_Form::FileNew1Execute() {}
void TCorvane_Form::FileSaveExecute() {}
void TCorvane_Form::FileSaveAs1Accept(const std::string&) {}
void TCorvane_Form::FileOpen1Accept(const std::string&) {}
void TCorvane_Form::SaveMatrixFile(const std::string&) {}
void TCorvane_Form::LoadMatrixFile(const std::string&, const char*, int) {}
void TCorvane_Form::ReopenExecute(int) {}

}  // namespace corvane
