// What the binary tests share: bytes written as hex, pages made and read back, a dataset's values, the position.
#pragma once

#include "fum/fum_fixture.h"

namespace kfio::testing {

using Columns = std::vector<std::vector<double>>;

// "FE FF 00" as bytes.
inline std::string Hex(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3)
    bytes.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

class BinaryTest : public FumTest {
 public:
  // A new page, each column given its values; its name is unique to the test.
  std::string NewPage(const Columns& columns) {
    const std::string name = "P" + std::to_string(++pages_);
    refhost::HostPage* page = host.NewPage(name, static_cast<int>(columns.size()));
    for (std::size_t c = 0; c < columns.size(); ++c) {
      refhost::HostDataset* d = page->Column(static_cast<int>(c + 1));
      for (std::size_t i = 0; i < columns[c].size(); ++i) d->SetValue(static_cast<int32_t>(i), columns[c][i]);
      d->Resize(static_cast<int32_t>(columns[c].size()));
    }
    return name;
  }
  std::vector<double> Values(const refhost::HostDataset* d) const {
    std::vector<double> values;
    for (int32_t i = 0; d != nullptr && i < d->Size(); ++i) values.push_back(d->Value(i));
    return values;
  }
  std::vector<double> Values(const char* dataset) const { return Values(host.Dataset(dataset)); }
  Columns PageValues(const std::string& page) const {
    Columns out;
    const refhost::HostPage* p = host.Page(page);
    for (int c = 1; p != nullptr && c <= p->ColumnCount(); ++c) out.push_back(Values(p->Column(c)));
    return out;
  }
  double Position() { return Invoke("GETPOS", "").result; }

 private:
  int pages_ = 0;
};

}  // namespace kfio::testing
