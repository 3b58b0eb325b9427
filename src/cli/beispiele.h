// The demo bills of examples/, compiled into the program.
#pragma once

#include <string_view>
#include <vector>

namespace gaeb::cli {

struct Beispiel {
  std::string_view name;  // file name without .json
  std::string_view json;  // the rows
};

const std::vector<Beispiel>& Beispiele();

}  // namespace gaeb::cli
