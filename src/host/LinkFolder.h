#pragma once
#include <string>

namespace tw {

// The folder where the windows of one user meet: $TIDEWRIGHT_LINK_DIR, else "tidewright-link"
// in $XDG_RUNTIME_DIR, else "tidewright-link-<user id>" in $TMPDIR (else /tmp). No trailing '/'.
std::string DefaultLinkFolder();

// Creates `folder` (mode 0700) when it is missing and checks that no other account can reach
// it: a real folder, not a symbolic link, owned by this user, mode 0700, inside folders that
// only this user or root can rename. "" when it may be used, else the message saying why not.
std::string PrepareLinkFolder(const std::string& folder);

} // namespace tw
