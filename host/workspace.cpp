// Workspace: pages and datasets by name, "<page>_<column>" names, and the
// temporary datasets the module makes and releases.
#include "host/workspace.h"

namespace refhost {

std::string Workspace::Key(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

HostPage* Workspace::NewPage(std::string_view name, int columns) {
  if (name.empty() || columns < 0 || columns > kfio::kMaxColumns || FindPage(name) != nullptr) return nullptr;
  HostPage& page = pages_.emplace_back(std::string(name), columns);
  pageIndex_[Key(name)] = &page;
  return &page;
}

HostPage* Workspace::FindPage(std::string_view name) const {
  const auto it = pageIndex_.find(Key(name));
  return it != pageIndex_.end() ? it->second : nullptr;
}

std::vector<const HostPage*> Workspace::Pages() const {
  std::vector<const HostPage*> list;
  for (const HostPage& page : pages_) list.push_back(&page);
  return list;
}

HostDataset* Workspace::NewDataset(std::string_view name) {
  if (name.empty() || FindDataset(name) != nullptr) return nullptr;
  HostDataset& data = datasets_.emplace_back(std::string(name));
  datasetIndex_[Key(name)] = &data;
  return &data;
}

HostDataset* Workspace::FindDataset(std::string_view name) const {
  for (std::size_t cut = name.find('_'); cut != std::string_view::npos; cut = name.find('_', cut + 1)) {
    HostPage* page = FindPage(name.substr(0, cut));
    const int column = page != nullptr ? page->FindColumn(name.substr(cut + 1)) : 0;
    if (column != 0) return page->Column(column);
  }
  const auto it = datasetIndex_.find(Key(name));
  return it != datasetIndex_.end() ? it->second : nullptr;
}

HostDataset* Workspace::FindOrMake(std::string_view name) {
  if (name.empty()) return nullptr;
  if (HostDataset* found = FindDataset(name)) return found;
  for (std::size_t cut = name.rfind('_'); cut != std::string_view::npos && cut > 0;
       cut = name.rfind('_', cut - 1)) {
    if (cut + 1 == name.size()) continue;  // "<page>_" names no column
    HostPage* page = FindPage(name.substr(0, cut));
    if (page != nullptr && page->AddColumn(name.substr(cut + 1)))
      return page->Column(page->ColumnCount());
  }
  return NewDataset(name);
}

std::vector<const HostDataset*> Workspace::Datasets() const {
  std::vector<const HostDataset*> list;
  for (const HostDataset& data : datasets_)
    if (!data.IsTemporary() && data.IsLive()) list.push_back(&data);
  return list;
}

HostDataset* Workspace::NewTemporary(std::string_view name, int32_t size) {
  if (size < 0 || size > HostDataset::kMaxSize) return nullptr;
  HostDataset& data = datasets_.emplace_back(std::string(name), true);
  data.Resize(size);
  ++liveTemporaries_;
  return &data;
}

bool Workspace::Release(HostDataset* data) {
  if (data == nullptr || !data->IsTemporary() || !data->IsLive()) return false;
  data->Kill();
  --liveTemporaries_;
  return true;
}

}  // namespace refhost
