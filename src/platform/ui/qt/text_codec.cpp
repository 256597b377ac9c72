#include "platform/ui/qt/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <array>

namespace zem::ui::qt {
namespace {

// Code page 1252 at 0x80..0x9F; the five bytes it leaves undefined map to the C1 controls of the
// same value, so every byte survives a round trip. The rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeCp1252Table(std::string_view bytes) {
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* to = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *to++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b});
    }
    return out;
}

char EncodeCp1252Char(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == u) return static_cast<char>(0x80 + i);
    return '?';
}

std::string EncodeCp1252Table(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) out.push_back(EncodeCp1252Char(c.unicode()));
    return out;
}

const char* CodecName(int charset) {
    if (charset == kShiftJisCharset) return "Shift_JIS";
    if (charset == kCyrillicCharset) return "windows-1251";
    return "windows-1252";
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Building a converter looks its character set up by name each time; each thread keeps one of
// each it has used.
QStringDecoder& DecoderFor(int charset) {
    thread_local QStringDecoder shiftJis(CodecName(kShiftJisCharset));
    thread_local QStringDecoder cyrillic(CodecName(kCyrillicCharset));
    return charset == kShiftJisCharset ? shiftJis : cyrillic;
}

std::string ToBytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QString Decode(std::string_view bytes, int charset) {
    if (bytes.empty()) return {};
    // Code page 1252 needs no converter, and plain ASCII reads the same in 1251: lists hand
    // over every cell of every row, so those stay off the converter entirely.
    if (charset != kShiftJisCharset && charset != kCyrillicCharset) return DecodeCp1252Table(bytes);
    if (charset == kCyrillicCharset && IsAscii(bytes)) return QString::fromLatin1(bytes);
    QStringDecoder& decoder = DecoderFor(charset);
    if (!decoder.isValid()) return DecodeCp1252Table(bytes);
    // A text that ended inside a character must not lend its lead byte to the next one.
    decoder.resetState();
    return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string Encode(const QString& text, int charset) {
    if (text.isEmpty()) return {};
    QStringEncoder encoder(CodecName(charset));
    if (!encoder.isValid()) return EncodeCp1252Table(text);
    const QByteArray whole = encoder(text);
    if (!encoder.hasError()) return ToBytes(whole);
    // Some character has no byte form: encode one code point at a time and put '?' for those.
    std::string out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        QStringEncoder single(CodecName(charset));
        const QByteArray bytes = single(QStringView(text).mid(i, length));
        out += single.hasError() ? std::string("?") : ToBytes(bytes);
        i += length;
    }
    return out;
}

}  // namespace zem::ui::qt
