#include "platform/cp1251.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <cerrno>
#include <iconv.h>

namespace zem {
namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw ZemError(std::string("Нет преобразования кодировки ") + from + " -> " + to);
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts the whole input; returns false and the failing offset on an
    // invalid or unconvertible sequence.
    bool Convert(std::string_view in, std::string& out, std::size_t& failAt) {
        out.clear();
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[4096];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                failAt = in.size() - srcLeft;
                return false;
            }
            if (r > 0) {  // irreversible conversion: a character was replaced
                failAt = in.size() - srcLeft;
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::string Cp1251ToUtf8(std::string_view bytes) {
    std::string out;
    std::size_t at = 0;
    Iconv cv("UTF-8", "CP1251");
    if (!cv.Convert(bytes, out, at))
        throw ZemError("Недопустимый символ в тексте (позиция " + std::to_string(at + 1) + ")");
    return out;
}

std::string Utf8ToCp1251(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    Iconv cv("CP1251", "UTF-8");
    if (!cv.Convert(text, out, at))
        throw ZemError("Символ не представим в кодировке 1251 (позиция " + std::to_string(at + 1) + ")");
    return out;
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::vector<std::string> ReadTextFile(const std::string& path) {
    const std::string raw = ReadFileBytes(path, kMaxTextFileSize);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t nl = raw.find('\n', start);
        std::size_t end = nl == std::string::npos ? raw.size() : nl;
        std::size_t stop = end;
        if (stop > start && raw[stop - 1] == '\r') --stop;
        try {
            lines.push_back(Cp1251ToUtf8(std::string_view(raw).substr(start, stop - start)));
        } catch (const ZemError& e) {
            RaiseFileFailure(kReadFailure, path, "строка " + std::to_string(lines.size() + 1) + ": " + e.what());
        }
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

static std::string Encode(const std::vector<std::string>& lines) {
    std::string data;
    for (const auto& line : lines) {
        data += Utf8ToCp1251(line);
        data += "\r\n";
    }
    return data;
}

void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) {
    WriteFileAtomic(path, Encode(lines));  // converts before touching the disk
}

void AppendTextFile(const std::string& path, const std::vector<std::string>& lines) {
    AppendFileBytes(path, Encode(lines));  // converts before touching the disk
}

}  // namespace zem
