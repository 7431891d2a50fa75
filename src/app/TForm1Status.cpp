// The main window's status-tab commands, RF graph file and tab screenshots.

#include "app/TForm1.h"

namespace zvk {

void TForm1::setupStatusOperations() {}

}  // namespace zvk
