// Physical-limit reference: read a file in 1 MiB blocks with fread, split it
// into lines with memchr and write every line back terminated by CRLF (a
// trailing CR is stripped first) through a 1 MiB output buffer.
// usage: linecopy_fread IN OUT
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: linecopy_fread IN OUT\n");
        return 2;
    }
    FILE* in = std::fopen(argv[1], "rb");
    FILE* out = std::fopen(argv[2], "wb");
    if (!in || !out) {
        std::perror("open");
        return 1;
    }
    const size_t B = 1 << 20;
    std::vector<char> buf(B);
    std::string carry, ob;  // carry: an unfinished line from the previous block
    ob.reserve(B + 4096);
    auto emit = [&](const char* p, size_t n) {
        if (n && p[n - 1] == '\r') --n;
        ob.append(p, n);
        ob.append("\r\n", 2);
        if (ob.size() >= B) {
            std::fwrite(ob.data(), 1, ob.size(), out);
            ob.clear();
        }
    };
    size_t got;
    while ((got = std::fread(buf.data(), 1, B, in)) > 0) {
        const char* p = buf.data();
        const char* end = p + got;
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p));
            if (!nl) {
                carry.append(p, end - p);
                break;
            }
            if (carry.empty())
                emit(p, nl - p);
            else {
                carry.append(p, nl - p);
                emit(carry.data(), carry.size());
                carry.clear();
            }
            p = nl + 1;
        }
    }
    if (!carry.empty()) emit(carry.data(), carry.size());
    std::fwrite(ob.data(), 1, ob.size(), out);
    return std::fclose(out) == 0 && !std::ferror(in) ? 0 : 1;
}
