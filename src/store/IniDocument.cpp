#include "store/IniDocument.h"

#include "store/IniLineText.h"
#include "store/TextCodec.h"

#include <algorithm>
#include <utility>

// The document's lines and their bytes: parsing a file into them, adding the lines an edit writes,
// and writing them out again. Finding sections and keys is in IniDocumentLookup.cpp, reads in
// IniDocumentRead.cpp, edits in IniDocumentEdit.cpp.
namespace lanvex::store {

using namespace ini;

namespace {

// Lines an edit writes go into blocks that start small, for the many documents that take one
// site, and double up to this size; a longer line gets a block of its own.
constexpr std::size_t kFirstBlockBytes = 512;
constexpr std::size_t kBlockBytes = std::size_t(64) << 10;

// Counts the lines that head a section ("[" first after blanks) in bytes that may continue
// earlier ones: `lineStart` carries whether the next byte starts a line.
std::size_t countSectionLines(std::string_view bytes, bool& lineStart, std::size_t counted, std::size_t limit)
{
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            lineStart = true;
        } else if (lineStart && c != ' ' && c != '\t') {
            lineStart = false;
            if (c == '[' && ++counted > limit)
                return counted;
        }
    }
    return counted;
}

} // namespace

std::string_view IniDocument::raw(const Line& line) const
{
    return std::string_view(line.block == kParsed ? text_ : added_[line.block]).substr(line.begin, line.length);
}

std::string_view IniDocument::name(const Line& line) const
{
    const std::string_view text = raw(line);
    const Classified c = classifyLine(text, line.contentBegin, !utf8_);
    return text.substr(c.nameBegin, c.nameEnd - c.nameBegin);
}

IniDocument::Line IniDocument::lineAt(std::uint32_t block, std::size_t begin, std::size_t length,
                                      std::size_t contentBegin) const
{
    Line line;
    line.block = block;
    line.begin = static_cast<std::uint32_t>(begin);
    line.length = static_cast<std::uint32_t>(length);
    line.contentBegin = static_cast<std::uint8_t>(contentBegin);
    const Classified c = classifyLine(raw(line), contentBegin, !utf8_);
    line.kind = c.header ? LineKind::Header : c.key ? LineKind::Key : LineKind::Other;
    return line;
}

IniDocument::Line IniDocument::addLine(std::string_view bytes)
{
    if (added_.empty() || added_.back().capacity() - added_.back().size() < bytes.size()) {
        const std::size_t size
            = added_.empty() ? kFirstBlockBytes : std::min(kBlockBytes, 2 * added_.back().capacity());
        added_.emplace_back();
        added_.back().reserve(std::max(size, bytes.size()));
    }
    std::string& block = added_.back();
    const std::size_t begin = block.size();
    block += bytes; // within the capacity reserved: the block's bytes never move
    return lineAt(static_cast<std::uint32_t>(added_.size() - 1), begin, bytes.size(), 0);
}

void IniDocument::terminate(Line& line)
{
    if (terminatorLength(raw(line)) != 0)
        return;
    // A byte-order mark left alone at the top of the file is no line: what follows it joins it.
    if (utf8_ && raw(line) == kUtf8Bom && &line == firstLine())
        return;
    std::string bytes(raw(line));
    bytes += newline_;
    const Line old = line;
    line = addLine(bytes);
    // The same line with a line end: its kind stays, and so does the byte-order mark in front of
    // the file's first line, which classifying it afresh would miss.
    line.kind = old.kind;
    line.contentBegin = old.contentBegin;
}

// Ends the file's last line, if it has no line end, before lines are added after it.
void IniDocument::terminateLast()
{
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (!it->empty()) {
            terminate(it->back());
            return;
        }
    }
}

const IniDocument::Line* IniDocument::firstLine() const
{
    for (const std::vector<Line>& lines : sections_)
        if (!lines.empty())
            return &lines.front();
    return nullptr;
}

bool IniDocument::HasTooManySections(std::string_view fileBytes)
{
    bool lineStart = true;
    return countSectionLines(fileBytes, lineStart, 0, kMaxSections) > kMaxSections;
}

bool IniDocument::HasTooManySectionLines() const
{
    bool lineStart = true;
    std::size_t counted = 0;
    WriteTo([&](std::string_view piece) {
        counted = countSectionLines(piece, lineStart, counted, kMaxSections);
        return counted <= kMaxSections;
    });
    return counted > kMaxSections;
}

IniDocument IniDocument::Parse(std::string_view fileBytes)
{
    return ParseOwned(std::string(fileBytes));
}

IniDocument IniDocument::ParseOwned(std::string fileBytes)
{
    IniDocument doc;
    doc.text_ = std::move(fileBytes);
    doc.utf8_ = std::string_view(doc.text_).substr(0, kUtf8Bom.size()) == kUtf8Bom;
    doc.sections_.emplace_back();

    const std::string_view text(doc.text_);
    const std::size_t firstEnd = text.find_first_of("\r\n");
    if (firstEnd != std::string_view::npos)
        doc.newline_ = lineEndAt(text, firstEnd);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = lineEnd(text, pos);
        const std::size_t contentBegin = (pos == 0 && doc.utf8_) ? kUtf8Bom.size() : 0;
        doc.addParsedLine(doc.lineAt(kParsed, pos, end - pos, contentBegin));
        pos = end;
    }
    doc.rebuildIndex();
    return doc;
}

// A header opens a section; every other line joins the body of the section being read, which
// stays one range.
void IniDocument::addParsedLine(Line line)
{
    if (line.kind == LineKind::Header) {
        sections_.emplace_back().reserve(2); // the header and, most often, one body
        sections_.back().push_back(line);
        return;
    }
    std::vector<Line>& lines = sections_.back();
    if (!lines.empty() && lines.back().kind == LineKind::Body) {
        lines.back().length += line.length;
    } else {
        line.kind = LineKind::Body;
        lines.push_back(line);
    }
}

std::size_t IniDocument::SerializedSize() const
{
    std::size_t size = 0;
    for (const std::vector<Line>& lines : sections_)
        for (const Line& line : lines)
            size += line.length;
    return size;
}

bool IniDocument::Unchanged() const
{
    if (SerializedSize() != text_.size())
        return false;
    std::size_t at = 0;
    return WriteTo([&](std::string_view piece) {
        const bool same = std::string_view(text_).substr(at, piece.size()) == piece;
        at += piece.size();
        return same;
    });
}

std::string IniDocument::Serialize() const
{
    std::string bytes;
    bytes.reserve(SerializedSize());
    WriteTo([&bytes](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

std::string IniDocument::Decode(std::string_view fileBytes) const
{
    return DecodeFileText(fileBytes, utf8_);
}

std::optional<std::string> IniDocument::Encode(std::string_view utf8) const
{
    return EncodeFileText(utf8, utf8_);
}

} // namespace lanvex::store
