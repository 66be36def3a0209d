// What `corvida info --json` prints and `corvida export` writes as stack.json.
#pragma once

#include <nlohmann/json.hpp>

#include "base/handles.h"
#include "stackfile/stack.h"

namespace corvida::app {

// The stack's header, its cards with their objects, and its resources.
nlohmann::ordered_json DescribeStack(Stack& stack, Handles& handles);

}  // namespace corvida::app
