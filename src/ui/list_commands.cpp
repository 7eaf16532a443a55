#include "ui/list_commands.h"

#include "lookup/lookup_address.h"
#include "ui/ui_texts.h"

namespace pelorin {

void ClearExampleAddress(Toolkit& toolkit) {
  if (toolkit.EditText() != ExamplePageAddress()) return;
  toolkit.SetEditText(Text());
  toolkit.SetEditTextColour(ui::Black);
}

void ShowListMenu(Toolkit& toolkit) {
  switch (toolkit.PopUpMenu(ui::MenuItems())) {
    case 0: CopyFileName(toolkit); break;
    case 1: DownloadFile(toolkit); break;
    case 2: ShowXmlAnswer(toolkit); break;
    default: break;  // dismissed
  }
}

void CopyFileName(Toolkit& toolkit) {
  toolkit.PutTextOnClipboard(toolkit.CellText(toolkit.SelectedRow(), 0));
}

bool IsWebAddress(const Text& address) {
  const Text lower = AsciiLower(LeftPart(address, 8));
  return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 ||
         lower.rfind("ftp://", 0) == 0;
}

void DownloadFile(Toolkit& toolkit) {
  const Text address = toolkit.CellText(toolkit.SelectedRow(), 1);
  // A file address comes from the network: a local path, a file: address or a program name
  // handed to the desktop would open or run something on this machine.
  if (!IsWebAddress(address)) return;
  toolkit.OpenAddress(address);
}

void ShowXmlAnswer(Toolkit& toolkit) {
  toolkit.OpenAddress(BuildLookupAddress(toolkit.EditText()));
}

}  // namespace pelorin
