// The worksheet and dataset statements (wks new, show and export; dataset
// new and show) and dataset elements.
#include <algorithm>
#include <cmath>
#include <functional>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/datasets.h"
#include "host/worksheets.h"
#include "tools/fumsh/script_error.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

namespace {

constexpr int32_t kShownRows = 10;

// A count of rows, columns or elements: a whole number, not negative.
int32_t Count(double value, const char* what) {
  if (!(value >= 0.0 && value <= refhost::HostDataset::kMaxSize) || value != std::trunc(value))
    throw ScriptError(std::string(what) + " must be a whole number from 0 to " +
                      std::to_string(refhost::HostDataset::kMaxSize) + ", not " + FormatValue(value));
  return static_cast<int32_t>(value);
}

// A page's or dataset's name: one text, ending where a '+' no longer joins
// another item; `i` moves past it.
TextExpr NameOperand(Session& session, Tokens tokens, std::size_t& i, std::string_view line) {
  std::size_t end = i + 1;
  while (end + 1 < tokens.size() && tokens[end].Is("+")) end += 2;
  TextExpr name = session.CompileText(tokens.subspan(i, std::min(end, tokens.size()) - i), line);
  i = end;
  return name;
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

// The element as wks show, dataset show and export write it: a number as
// print writes it, a missing value as nothing.
std::string ElementText(const refhost::HostDataset& d, int32_t row) {
  std::string text = d.Text(row);
  return text.empty() || d.HoldsText(row) ? text : FormatValue(d.Value(row));
}

std::string Cell(const refhost::HostPage& page, int column, int32_t row) {
  const refhost::HostDataset* d = page.Column(column);
  return d != nullptr && row < d->Size() ? ElementText(*d, row) : std::string();
}

void WriteCsv(const refhost::HostPage& page, std::ostream& out, ProgressLine* line) {
  for (int c = 1; c <= page.ColumnCount(); ++c) out << (c > 1 ? "," : "") << CsvField(page.ColumnName(c));
  out << "\r\n";
  RowProgress progress(line, "exporting " + page.Name(), page.RowCount());
  for (int32_t r = 0; r < page.RowCount(); ++r) {
    progress.Update(r);
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

// wks VERB NAME [REST] and dataset VERB NAME [REST]: NAME is a text (a bare
// word is taken as written), REST a count or, for export, a file name.
std::function<void()> Session::WorkspaceStatement(std::string_view line) {
  const std::vector<Token> tokens = Tokenize(line, true);
  const Tokens all(tokens);
  const bool page = SameName(tokens[0].text, "wks");
  const std::string verb = tokens.size() > 1 && tokens[1].kind == TokenKind::kWord ? tokens[1].text : "";
  const char* usage = page ? "wks takes: new NAME [COLUMNS] | show NAME [ROWS] | export NAME FILE.csv"
                           : "dataset takes: new NAME SIZE | show NAME [ROWS]";
  if (tokens.size() < 3 || tokens[2].Is("+")) throw ScriptError(usage);
  std::size_t i = 2;
  const TextExpr name = NameOperand(*this, all, i, line);
  const bool more = i < tokens.size();
  if (page && SameName(verb, "export")) {
    if (!more) throw ScriptError(usage);
    const TextExpr file = NameOperand(*this, all, i, line);
    if (i < tokens.size()) throw ScriptError(usage);
    return [this, name, file] { ExportPage(PageNamed(Evaluate(name)), Evaluate(file)); };
  }
  // The count is an expression of the ordinary language.
  NumberExpr count;
  if (more) {
    const std::string_view rest = line.substr(tokens[i].begin);
    const std::vector<Token> countTokens = Tokenize(rest);
    count = CompileNumber(countTokens, rest);
  }
  const bool news = SameName(verb, "new");
  if (news && !page && !more) throw ScriptError(usage);
  if (news && page) {
    return [this, name, count] {
      const int columns = count.Empty() ? 1 : Count(Evaluate(count), "the column count");
      if (columns < 1) throw ScriptError("a worksheet needs at least one column");
      const std::string text = Evaluate(name);
      if (host_.NewPage(text, columns) == nullptr) throw ScriptError("cannot make worksheet '" + text + "'");
    };
  }
  if (news) return [this, name, count] { NewDataset(Evaluate(name), Count(Evaluate(count), "the size")); };
  if (!SameName(verb, "show")) throw ScriptError(usage);
  return [this, name, count, page] {
    const int32_t rows = count.Empty() ? kShownRows : Count(Evaluate(count), "the row count");
    if (page) return ShowPage(PageNamed(Evaluate(name)), rows);
    ShowDataset(Evaluate(name), rows);
  };
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
    WriteCsv(page, out_, progress);
    if (!out_.flush()) throw failed;
    return;
  }
  std::ofstream stream(file, std::ios::binary);
  if (!stream) throw failed;
  WriteCsv(page, stream, progress);
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

refhost::HostDataset& Session::DatasetNamed(const std::string& name) const {
  refhost::HostDataset* d = host_.Dataset(name);
  if (d == nullptr) throw ScriptError("no dataset '" + name + "'");
  return *d;
}

void Session::ShowDataset(const std::string& name, int32_t rows) {
  const refhost::HostDataset& d = DatasetNamed(name);
  out_ << d.Name() << ": " << d.Size() << (d.Size() == 1 ? " element" : " elements")
       << (d.IsText() ? ", text" : "") << '\n';
  const int32_t shown = std::min(rows, d.Size());
  RowProgress progress(this->progress, "showing " + d.Name(), shown);
  for (int32_t i = 0; i < shown; ++i) {
    progress.Update(i);
    const std::string value = ElementText(d, i);
    out_ << "  " << i + 1 << (value.empty() ? "" : "  " + value) << '\n';
  }
}

void Session::NewDataset(const std::string& name, int32_t size) {
  refhost::HostDataset* d = host_.NewDataset(name);
  if (d == nullptr || !d->Resize(size)) throw ScriptError("cannot make dataset '" + name + "'");
}

// Elements count from 1, as the rows of wks show do; an assignment may
// reach one past the end and beyond, which grows the dataset.
int32_t Session::ElementIndex(const refhost::HostDataset& d, const NumberExpr& index, bool growing) {
  const double i = Evaluate(index);
  const double last = growing ? refhost::HostDataset::kMaxSize : d.Size();
  if (!(i >= 1.0 && i <= last) || i != std::trunc(i)) {
    throw ScriptError("index " + FormatValue(i) + " is outside " + d.Name() + " (" +
                      std::to_string(d.Size()) + (d.Size() == 1 ? " element)" : " elements)"));
  }
  return static_cast<int32_t>(i) - 1;
}

double Session::Element(const TextExpr& dataset, const NumberExpr& index) {
  const refhost::HostDataset& d = DatasetNamed(Evaluate(dataset));
  return d.Value(ElementIndex(d, index, false));
}

void Session::AssignElement(const TextExpr& dataset, const NumberExpr& index, double value) {
  refhost::HostDataset& d = DatasetNamed(Evaluate(dataset));
  const int32_t i = ElementIndex(d, index, true);
  if ((i >= d.Size() && !d.Resize(i + 1)) || !d.SetValue(i, value))
    throw ScriptError("cannot set element " + std::to_string(i + 1) + " of " + d.Name());
}

}  // namespace kfio::fumsh
