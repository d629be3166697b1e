// Fuzz target: the encoding of a file's bytes. Whatever the bytes, the decision must not crash;
// bytes decided as UTF-16 or a single-byte code page must come back byte for byte through the
// decoder and the encoder, fed in blocks of any size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/encoding.hpp"
#include "files/transcode.hpp"

namespace {

using namespace tessaline;

// Decodes in blocks of `block` bytes and encodes the text again in the same blocks.
std::string RoundTrip(std::string_view bytes, TextEncoding encoding, std::size_t block) {
    TextDecoder decoder(encoding);
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += block)
        decoder.Decode(bytes.substr(i, block), text);
    decoder.Finish(text);
    TextEncoder encoder(encoding, TextForm::Utf8);
    std::string back;
    for (std::size_t i = 0; i < text.size(); i += block)
        encoder.Encode(std::string_view(text).substr(i, block), back);
    return back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)DecideEncoding(bytes, true);
    (void)DecideEncoding(bytes, false);
    const std::size_t block = size == 0 ? 1 : 1 + data[0] % 7;
    for (const TextEncoding encoding :
         {TextEncoding::Koi8r, TextEncoding::Cp866, TextEncoding::Iso88595, TextEncoding::Mac,
          TextEncoding::Windows1251}) {
        if (RoundTrip(bytes, encoding, block) != bytes) __builtin_trap();
    }
    // UTF-16 keeps every even-length text, lone surrogates included.
    const std::string_view even = bytes.substr(0, size & ~std::size_t{1});
    for (const TextEncoding encoding : {TextEncoding::Utf16le, TextEncoding::Utf16be}) {
        if (RoundTrip(even, encoding, block) != even) __builtin_trap();
    }
    return 0;
}
