// The localised resource module: found at load, consulted before the built-in strings and
// templates, released at unload.
#pragma once

namespace lntc {

class Library;

// Loads the first of LNT20LOC, LNT20<language> and LNT20<first two letters of the language>
// (".so") that exists in the system folder, when the user has a language. A module that
// exists but cannot be used is logged and the built-in resources serve alone.
void LoadLocalisedResources(Library& lib);
void ReleaseLocalisedResources(Library& lib);

} // namespace lntc
