#include "transfer/TextEncoding.h"

namespace TextEncoding {

namespace {

// 0x80..0x9F of Windows-1252; the five holes keep their C1 code points.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

Kind detect(const QByteArray& head) {
    if (head.startsWith("\xEF\xBB\xBF"))
        return Kind::Utf8Bom;
    if (head.startsWith("\xFF\xFE"))
        return Kind::Utf16LE;
    if (head.startsWith("\xFE\xFF"))
        return Kind::Utf16BE;
    return isValidUtf8(head.constData(), std::size_t(head.size()), true) ? Kind::Utf8
                                                                         : Kind::Windows1252;
}

int bomLength(Kind kind) {
    switch (kind) {
        case Kind::Utf8Bom:
            return 3;
        case Kind::Utf16LE:
        case Kind::Utf16BE:
            return 2;
        default:
            return 0;
    }
}

QString name(Kind kind) {
    switch (kind) {
        case Kind::Utf8:
            return QStringLiteral("UTF-8");
        case Kind::Utf8Bom:
            return QStringLiteral("UTF-8 con BOM");
        case Kind::Utf16LE:
            return QStringLiteral("UTF-16 LE");
        case Kind::Utf16BE:
            return QStringLiteral("UTF-16 BE");
        case Kind::Windows1252:
            break;
    }
    return QStringLiteral("Windows-1252");
}

bool isValidUtf8(const char* data, std::size_t size, bool allowCutEnd) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < size) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + std::size_t(k) >= size)
                return allowCutEnd;
            const unsigned char d = p[i + std::size_t(k)];
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += std::size_t(extra) + 1;
    }
    return true;
}

void appendWindows1252(std::string& out, const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c < 0x80)
            out += char(c);
        else if (c < 0xA0)
            appendCodePoint(out, kHigh[c - 0x80]);
        else
            appendCodePoint(out, c);
    }
}

}  // namespace TextEncoding
