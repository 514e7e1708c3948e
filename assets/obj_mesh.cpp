// obj_mesh.cpp - the OBJ subset reader.
//
// The text is read word by word: skip to a "v", read the vertex block, skip
// to an "f", then read face lines until a line beginning with 'o' (next
// object) or the end. Every read is bounded by the text and every step moves
// forward, so no input can make the reader loop or index outside the vertex
// list.
#include "assets/obj_mesh.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <new>
#include <utility>

#include "base/file_bytes.h"
#include "base/work_meter.h"

namespace {

constexpr int END_OF_TEXT = -1;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool startsCorner(int c) { return isDigit(c) || c == '-' || c == '+'; }

class TextReader {
public:
    explicit TextReader(std::string_view text) : text_(text) {}

    std::string_view readWord()
    {
        skipSpace();
        size_t start = pos_;
        while (pos_ < text_.size() && !isSpace(text_[pos_]))
            ++pos_;
        readerWork += pos_ - start;
        return text_.substr(start, pos_ - start);
    }

    // Reads words until one equals word; false when the text ends first.
    bool skipPastWord(std::string_view word)
    {
        for (;;) {
            std::string_view w = readWord();
            if (w.empty())
                return false;
            if (w == word)
                return true;
        }
    }

    // Next non-blank character, or END_OF_TEXT.
    int readChar()
    {
        skipSpace();
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : END_OF_TEXT;
    }
    void unreadChar() { --pos_; }

    void skipLine()
    {
        const size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != '\n')
            ++pos_;
        readerWork += pos_ - start;
    }

    // A finite number filling a whole word; on failure nothing is consumed.
    bool readNumber(float& value)
    {
        size_t start = pos_;
        std::string_view w = readWord();
        if (!w.empty() && w[0] == '+')
            w.remove_prefix(1);
        auto [end, error] = std::from_chars(w.data(), w.data() + w.size(), value);
        if (w.empty() || error != std::errc() || end != w.data() + w.size() || !std::isfinite(value)) {
            pos_ = start;
            return false;
        }
        return true;
    }

    // One face corner: an index, then exactly two non-blank characters (the
    // separator and one more), then a blank or the end. Nothing is consumed
    // on failure, so the caller can drop the rest of the line.
    bool readCorner(int32_t& index)
    {
        size_t start = pos_;
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == '+')
            ++pos_;
        const char* first = text_.data() + pos_;
        const char* last = text_.data() + text_.size();
        auto [end, error] = std::from_chars(first, last, index);
        size_t after = static_cast<size_t>(end - text_.data());
        readerWork += after - (first - text_.data()) + 1;
        bool ok = error == std::errc() && after + 2 <= text_.size() && !isSpace(text_[after]) &&
                  !isSpace(text_[after + 1]) && (after + 2 == text_.size() || isSpace(text_[after + 2]));
        pos_ = ok ? after + 2 : start;
        return ok;
    }

private:
    void skipSpace()
    {
        const size_t start = pos_;
        while (pos_ < text_.size() && isSpace(text_[pos_]))
            ++pos_;
        readerWork += pos_ - start;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

bool validIndex(int32_t index, const std::vector<Vec3>& vertices)
{
    return index >= 1 && static_cast<size_t>(index) <= vertices.size();
}

// Reads one face after its "f" and returns the look-ahead character that
// follows it. A face outside the subset is dropped with the rest of its line.
int readFace(TextReader& in, const std::vector<Vec3>& vertices, std::vector<ObjFace>& faces, ObjReadStats& stats)
{
    int32_t index[4] = {};
    if (!(in.readCorner(index[0]) && in.readCorner(index[1]) && in.readCorner(index[2]))) {
        ++stats.skippedFaces;
        in.skipLine();
        return in.readChar();
    }
    int c = in.readChar();
    index[3] = index[2];
    if (startsCorner(c)) {
        in.unreadChar();
        if (!in.readCorner(index[3])) {
            ++stats.skippedFaces;
            in.skipLine();
            return in.readChar();
        }
        c = in.readChar();
        if (startsCorner(c)) {  // five or more corners
            in.unreadChar();
            ++stats.skippedFaces;
            in.skipLine();
            return in.readChar();
        }
    }
    for (int32_t i : index) {
        if (!validIndex(i, vertices)) {
            ++stats.skippedFaces;
            return c;
        }
    }
    ObjFace face;
    for (int k = 0; k < 4; ++k)
        face.corners[k] = vertices[static_cast<size_t>(index[k] - 1)];
    faces.push_back(face);
    return c;
}

// Reads face lines, the first "f" already consumed. True when a line
// beginning with 'o' ends the object, false at the end of the text.
bool readFaceLines(TextReader& in, const std::vector<Vec3>& vertices, std::vector<ObjFace>& faces, ObjReadStats& stats)
{
    for (;;) {
        int c = readFace(in, vertices, faces, stats);
        for (;;) {
            if (c == END_OF_TEXT)
                return false;
            if (c == 'o')
                return true;
            if (c == 'f')
                break;
            // Smoothing-group, material and other lines between faces.
            ++stats.skippedLines;
            in.skipLine();
            c = in.readChar();
        }
    }
}

void readObjects(std::string_view text, std::vector<std::vector<ObjFace>>& objects, ObjReadStats& stats)
{
    TextReader in(text);
    std::vector<Vec3> vertices;  // numbered across the whole file
    for (;;) {
        // Object names, comments and material libraries go by word by word.
        if (!in.skipPastWord("v"))
            return;

        std::vector<ObjFace> faces;
        std::string_view word;
        do {
            Vec3 v;
            if (in.readNumber(v.x) && in.readNumber(v.y) && in.readNumber(v.z)) {
                vertices.push_back(v);
                ++stats.vertices;
            }
            word = in.readWord();
        } while (word == "v");

        // The word that ends the vertex block may already be the first "f".
        bool moreObjects = false;
        if (word == "f" || in.skipPastWord("f"))
            moreObjects = readFaceLines(in, vertices, faces, stats);
        objects.push_back(std::move(faces));
        if (!moreObjects)
            return;
    }
}

}  // namespace

void ObjMesh::loadObj(std::string fileName, int32_t listId) { loadObjWithStats(fileName, listId); }

ObjReadStats ObjMesh::loadObjWithStats(const std::string& fileName, int32_t listId)
{
    if (loaded)
        return {};
    std::vector<uint8_t> bytes;
    bool readable = readRegularFile(fileName.c_str(), bytes);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    ObjReadStats stats = loadObjText(text, listId);
    stats.fileRead = readable;
    return stats;
}

ObjReadStats ObjMesh::loadObjText(std::string_view text, int32_t listId)
{
    ObjReadStats stats;
    if (loaded)
        return stats;
    loaded = true;
    this->listId = listId;
    needsCompile = true;
    stats.fileRead = true;
    try {
        readObjects(text, objects, stats);
    } catch (const std::bad_alloc&) {
        objects.clear();  // out of memory: read as an empty model, never thrown on
    }
    return stats;
}
