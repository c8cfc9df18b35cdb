// A menu as data: what a stored layout says about each item.
#pragma once

#include <string>
#include <vector>

namespace swfp::tk {

struct MenuNode {
  std::string name;
  std::string caption;  // empty: the action's caption; "-": a separator
  std::string action;   // name of the bound action, or empty
  bool checkable = false;
  bool checked = false;
  bool radio = false;
  int groupIndex = 0;
  bool visible = true;
  bool enabled = true;
  std::vector<MenuNode> items;
};

}  // namespace swfp::tk
