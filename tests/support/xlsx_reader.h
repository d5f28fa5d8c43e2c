// Reads back what the tests' workbooks hold: the first sheet's cells with their type and number
// format, unpacked with the `unzip` program (MENUCOST_UNZIP) and read with patterns that fit the
// plain XML spreadsheet writers produce.
#pragma once

#include <cstdio>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct XlsxCell {
  std::string type;    // the t attribute: "s" shared string, "" number, ...
  std::string value;   // numbers as written; strings resolved
  std::string format;  // the number format of its style ("General" when none)
};

struct XlsxSheet {
  std::map<std::pair<int, int>, XlsxCell> cells;  // by (row, column), both from 0
  const XlsxCell* at(int row, int column) const {
    auto found = cells.find({row, column});
    return found != cells.end() ? &found->second : nullptr;
  }
};

inline std::string unzipEntry(const std::string& archive, const std::string& entry) {
  const std::string command = std::string(MENUCOST_UNZIP) + " -p '" + archive + "' " + entry;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run unzip");
  std::string out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  if (pclose(pipe) != 0) throw std::runtime_error(entry + " is not in " + archive);
  return out;
}

inline std::string xmlText(std::string text) {
  static const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, plain] : entities)
    for (size_t at; (at = text.find(entity)) != std::string::npos;)
      text.replace(at, std::string(entity).size(), plain);
  return text;
}

inline int columnIndex(const std::string& letters) {
  int index = 0;
  for (char c : letters)
    index = index * 26 + (c - 'A' + 1);
  return index - 1;
}

inline XlsxSheet readXlsx(const std::string& path) {
  std::vector<std::string> strings;
  const std::string shared = unzipEntry(path, "xl/sharedStrings.xml");
  const std::regex si("<si>.*?<t[^>]*>([^<]*)</t>.*?</si>|<si><t/></si>");
  for (std::sregex_iterator it(shared.begin(), shared.end(), si), end; it != end; ++it)
    strings.push_back(xmlText((*it)[1].str()));

  const std::string styles = unzipEntry(path, "xl/styles.xml");
  std::map<int, std::string> formats{{0, "General"}};
  const std::regex numFmt("<numFmt numFmtId=\"(\\d+)\" formatCode=\"([^\"]*)\"");
  for (std::sregex_iterator it(styles.begin(), styles.end(), numFmt), end; it != end; ++it)
    formats[std::stoi((*it)[1])] = xmlText((*it)[2].str());
  std::vector<std::string> styleFormats;
  const size_t xfs = styles.find("<cellXfs");
  const std::string cellXfs = styles.substr(xfs, styles.find("</cellXfs>", xfs) - xfs);
  const std::regex xf("<xf numFmtId=\"(\\d+)\"");
  for (std::sregex_iterator it(cellXfs.begin(), cellXfs.end(), xf), end; it != end; ++it) {
    const auto found = formats.find(std::stoi((*it)[1]));
    styleFormats.push_back(found != formats.end() ? found->second : "builtin " + (*it)[1].str());
  }

  XlsxSheet sheet;
  const std::string xml = unzipEntry(path, "xl/worksheets/sheet1.xml");
  const std::regex cell("<c r=\"([A-Z]+)(\\d+)\"([^>]*?)(?:/>|>(.*?)</c>)");
  const std::regex style(" s=\"(\\d+)\"");
  const std::regex type(" t=\"(\\w+)\"");
  const std::regex value("<v>([^<]*)</v>");
  for (std::sregex_iterator it(xml.begin(), xml.end(), cell), end; it != end; ++it) {
    const std::string attributes = (*it)[3];
    const std::string body = (*it)[4];
    std::smatch m;
    XlsxCell c;
    if (std::regex_search(attributes, m, type)) c.type = m[1];
    const size_t styleIndex = std::regex_search(attributes, m, style) ? std::stoul(m[1].str()) : 0;
    c.format = styleIndex < styleFormats.size() ? styleFormats[styleIndex] : "General";
    if (std::regex_search(body, m, value)) c.value = m[1];
    if (c.type == "s") c.value = strings.at(std::stoul(c.value));
    sheet.cells[{std::stoi((*it)[2]) - 1, columnIndex((*it)[1])}] = c;
  }
  return sheet;
}

}  // namespace testing_support
