// Placeholder until the trace cleaner lands.
#include "app/MainForm.h"
namespace nq {
void TMainForm::FlatSpeedButton9Click() {}
}  // namespace nq
