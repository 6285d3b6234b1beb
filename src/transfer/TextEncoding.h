#pragma once

#include <QByteArray>
#include <QString>
#include <string>

// The encodings a CSV file comes in, and turning them into UTF-8 a chunk at a time.
namespace TextEncoding {

enum class Kind { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };

// Decided from the start of a file: a byte-order mark, else UTF-8 when the bytes are valid
// UTF-8 (a sequence cut by the end of `head` counts as valid), else Windows-1252, which is
// what an Italian spreadsheet saves.
Kind detect(const QByteArray& head);
int bomLength(Kind kind);
QString name(Kind kind);  // "UTF-8", "Windows-1252", ...

bool isValidUtf8(const char* data, std::size_t size, bool allowCutEnd = false);
// Appends the Windows-1252 bytes as UTF-8.
void appendWindows1252(std::string& out, const char* data, std::size_t size);

}  // namespace TextEncoding
