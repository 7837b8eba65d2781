// Whether the local name can be saved at all, judged before the transfer begins.
#pragma once

#include <string>

// The "Fatal: " line that ends the run before it connects when name can never be saved: no name, a
// folder's name, a name the file system finds too long or with a character the system refuses, a
// device (from the URL), a folder that is missing or no folder, an existing folder, an existing
// file this user may not write or that lies on a read-only file system, or a new file in a folder
// that cannot take one. Only lasting reasons refuse; what may pass (a lock, a lease, a file that
// vanished) or is not understood goes ahead. The check takes no lock, breaks no lease, creates
// nothing and opens nothing for writing. A name from the URL (fromUrl) gets a hint that argument 2
// gives another. Empty when the save may go ahead: what shows only when the file is created or
// written is still reported by the save.
std::string RefusalOfLocalName(const std::string& name, bool fromUrl);
