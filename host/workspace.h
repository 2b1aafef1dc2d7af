// Workspace: every page and dataset of the reference host, and the rules by
// which a name finds (or makes) one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/datasets.h"
#include "host/worksheets.h"

namespace refhost {

// Objects are never destroyed or moved while the workspace lives: their
// addresses are the handles the module holds.
class Workspace {
 public:
  // ---- Pages ----
  // Null when the name is empty or another page has it, or for more
  // columns than a page holds (kfio::kMaxColumns).
  HostPage* NewPage(std::string_view name, int columns = 1);
  HostPage* FindPage(std::string_view name) const;
  std::vector<const HostPage*> Pages() const;  // in the order made

  // ---- Datasets ----
  // A free-standing dataset; null when the name is empty or already names
  // a dataset.
  HostDataset* NewDataset(std::string_view name);
  // A page column named "<page>_<column>" first, then a free-standing
  // dataset; null when neither exists. Nothing is made.
  HostDataset* FindDataset(std::string_view name) const;
  // As FindDataset, and when nothing has the name: a page that the part
  // before an underscore names gets a column named by the rest (the
  // longest such page name wins), else a free-standing dataset is made.
  // Null only for an empty name.
  HostDataset* FindOrMake(std::string_view name);
  std::vector<const HostDataset*> Datasets() const;  // live free-standing ones, in the order made

  // ---- Temporary datasets: never found by name ----
  HostDataset* NewTemporary(std::string_view name, int32_t size);
  // False for anything but a live temporary.
  bool Release(HostDataset* data);
  std::size_t LiveTemporaries() const { return liveTemporaries_; }

 private:
  static std::string Key(std::string_view name);

  std::deque<HostPage> pages_;
  std::deque<HostDataset> datasets_;
  std::map<std::string, HostPage*> pageIndex_;       // by lower-case name
  std::map<std::string, HostDataset*> datasetIndex_;  // free-standing, by lower-case name
  std::size_t liveTemporaries_ = 0;
};

}  // namespace refhost
