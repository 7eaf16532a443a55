// The window's own behaviour: the self-clearing example address, and the result list's pop-up
// menu with its three commands.
#pragma once

#include "platform/toolkit.h"

namespace pelorin {

// Empties 编辑框1 and turns its text black when it holds exactly ExamplePageAddress.
void ClearExampleAddress(Toolkit& toolkit);

void ShowListMenu(Toolkit& toolkit);
void CopyFileName(Toolkit& toolkit);
void DownloadFile(Toolkit& toolkit);
void ShowXmlAnswer(Toolkit& toolkit);

// Whether an address from the network may be handed to the desktop: http, https or ftp only.
bool IsWebAddress(const Text& address);

}  // namespace pelorin
