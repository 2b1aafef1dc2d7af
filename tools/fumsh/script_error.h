// ScriptError: a statement that cannot run; the runner adds file and line.
#pragma once

#include <stdexcept>
#include <string>

namespace kfio::fumsh {

class ScriptError : public std::runtime_error {
 public:
  explicit ScriptError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kfio::fumsh
