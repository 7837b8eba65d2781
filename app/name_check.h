// Whether the local name can be saved at all, judged before the transfer begins.
#pragma once

#include <string>

// The "Fatal: " line that ends the run before it connects when name can never be saved, from what
// the system tells without creating or changing anything: no name, a folder's name, a name too
// long or with a character the system refuses, a device (from the URL), a folder that is missing
// or no folder, an existing folder, or an existing file that cannot be opened for writing. A name
// from the URL (fromUrl) gets a hint that argument 2 gives another. Empty when the save may go ahead:
// what shows only when the file is created or written is still reported by the save.
std::string RefusalOfLocalName(const std::string& name, bool fromUrl);
