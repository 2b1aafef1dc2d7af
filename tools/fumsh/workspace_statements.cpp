// The worksheet and dataset statements: wks new, wks show, wks export,
// dataset show.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/datasets.h"
#include "host/worksheets.h"
#include "tools/fumsh/script_error.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

namespace {

constexpr int32_t kShownRows = 10;

// The words of the line up to a comment; names and file names need no quotes.
std::vector<std::string> Words(std::string_view line) {
  const std::size_t hash = line.find('#');
  std::istringstream in(std::string(line.substr(0, hash)));
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

int32_t Count(const std::string& text, const char* what) {
  std::size_t used = 0;
  int value = -1;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
  }
  if (used != text.size() || value < 0) throw ScriptError(std::string(what) + " must be a whole number, not '" + text + "'");
  return value;
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Cell(const refhost::HostPage& page, int column, int32_t row) {
  const refhost::HostDataset* d = page.Column(column);
  return d != nullptr && row < d->Size() ? d->Text(row) : std::string();
}

void WriteCsv(const refhost::HostPage& page, std::ostream& out) {
  for (int c = 1; c <= page.ColumnCount(); ++c) out << (c > 1 ? "," : "") << CsvField(page.ColumnName(c));
  out << "\r\n";
  for (int32_t r = 0; r < page.RowCount(); ++r) {
    for (int c = 1; c <= page.ColumnCount(); ++c) out << (c > 1 ? "," : "") << CsvField(Cell(page, c, r));
    out << "\r\n";
  }
}

}  // namespace

const refhost::HostPage& Session::PageNamed(const std::string& name) const {
  const refhost::HostPage* page = host_.Page(name);
  if (page == nullptr) throw ScriptError("no worksheet '" + name + "'");
  return *page;
}

void Session::Worksheet() {
  const std::vector<std::string> w = Words(line_);
  const std::string verb = w.size() > 1 ? w[1] : "";
  if (SameName(verb, "new") && (w.size() == 3 || w.size() == 4)) {
    const int columns = w.size() == 4 ? Count(w[3], "the column count") : 1;
    if (columns < 1) throw ScriptError("a worksheet needs at least one column");
    if (host_.NewPage(w[2], columns) == nullptr) throw ScriptError("cannot make worksheet '" + w[2] + "'");
    return;
  }
  if (SameName(verb, "show") && (w.size() == 3 || w.size() == 4)) {
    return ShowPage(PageNamed(w[2]), w.size() == 4 ? Count(w[3], "the row count") : kShownRows);
  }
  if (SameName(verb, "export") && w.size() == 4) return ExportPage(PageNamed(w[2]), w[3]);
  throw ScriptError("wks takes: new NAME [COLUMNS] | show NAME [ROWS] | export NAME FILE.csv");
}

void Session::ShowPage(const refhost::HostPage& page, int32_t rows) {
  const int32_t all = page.RowCount();
  const int32_t shown = std::min(rows, all);
  std::vector<std::vector<std::string>> table(shown + 1);
  table[0].push_back("");
  for (int c = 1; c <= page.ColumnCount(); ++c) table[0].push_back(page.ColumnName(c));
  for (int32_t r = 0; r < shown; ++r) {
    table[r + 1].push_back(std::to_string(r + 1));
    for (int c = 1; c <= page.ColumnCount(); ++c) table[r + 1].push_back(Cell(page, c, r));
  }
  std::vector<std::size_t> width(table[0].size(), 0);
  for (const auto& row : table)
    for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
  for (const auto& row : table) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string pad(width[c] - row[c].size(), ' ');
      line += c == 0 ? pad + row[c] : "  " + pad + row[c];  // numbers read best right-aligned
    }
    out_ << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
  }
  if (shown < all) out_ << "(" << all << " rows in all)\n";
}

void Session::ExportPage(const refhost::HostPage& page, const std::string& file) {
  const ScriptError failed("cannot write '" + file + "'");
  if (file == "-") {
    WriteCsv(page, out_);
    if (!out_.flush()) throw failed;
    return;
  }
  std::ofstream stream(file, std::ios::binary);
  if (!stream) throw failed;
  WriteCsv(page, stream);
  // The last bytes leave the buffer only here, so only now is a full disk seen.
  stream.close();
  if (stream) return;
  // Only a regular file is ours to remove: never a device such as /dev/full,
  // nor a link (the file it leads to was written, not the link).
  std::error_code ignored;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(file, ignored)))
    std::filesystem::remove(file, ignored);
  throw failed;
}

void Session::ShowDataset() {
  const std::vector<std::string> w = Words(line_);
  if (w.size() < 3 || w.size() > 4 || !SameName(w[1], "show"))
    throw ScriptError("dataset takes: show NAME [ROWS]");
  const refhost::HostDataset* d = host_.Dataset(w[2]);
  if (d == nullptr) throw ScriptError("no dataset '" + w[2] + "'");
  const int32_t rows = w.size() == 4 ? Count(w[3], "the row count") : kShownRows;
  out_ << d->Name() << ": " << d->Size() << (d->Size() == 1 ? " element" : " elements")
       << (d->IsText() ? ", text" : "") << '\n';
  for (int32_t i = 0; i < std::min(rows, d->Size()); ++i) {
    const std::string value = d->Text(i);
    out_ << "  " << i + 1 << (value.empty() ? "" : "  " + value) << '\n';
  }
}

}  // namespace kfio::fumsh
