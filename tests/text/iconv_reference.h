#pragma once
// glibc's iconv as the reference the converters are checked against.
#include <iconv.h>

#include <optional>
#include <string>

namespace kaveto::testing {

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The whole text converted, with the shift back to the initial state;
    // nothing when some of it has no mapping.
    std::optional<std::string> operator()(const std::string& text) {
        if (!ok()) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(text.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t in_left = text.size();
        char* o = out.data();
        std::size_t out_left = out.size();
        if (iconv(cd_, &in, &in_left, &o, &out_left) == static_cast<std::size_t>(-1) || in_left != 0)
            return std::nullopt;
        if (iconv(cd_, nullptr, nullptr, &o, &out_left) == static_cast<std::size_t>(-1)) return std::nullopt;
        out.resize(out.size() - out_left);
        return out;
    }

private:
    iconv_t cd_;
};

// One conversion with a converter of its own.
inline std::optional<std::string> ConvertWithIconv(const char* to, const char* from, const std::string& text) {
    Iconv converter(to, from);
    return converter(text);
}

}  // namespace kaveto::testing
