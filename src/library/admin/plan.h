// What applying a document changes, one line per change, as `apply` prints it and the history
// shows it.
#pragma once
#include "library/admin/document.h"

#include <string>
#include <vector>

namespace lntc::admin {

// The changes from before to after (Dump-form server documents): "~ General F a -> b",
// "~ Fonts F a -> b", "~ ODR a -> b", per queue in before's order "- queue X" or
// "~ queue X F a -> b", then "+ queue X" for each new one, then "+ hosts N A",
// "~ hosts N a -> b", "- hosts N". A part or value that after does not hold is left as it is;
// a queue or hosts line it does not hold is deleted. Values in their readable form, made safe
// for a terminal.
std::vector<std::string> PlanLines(const Document& before, const Document& after);

} // namespace lntc::admin
