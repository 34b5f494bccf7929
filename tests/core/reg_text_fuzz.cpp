// libFuzzer target for the .reg reader: whatever the bytes, no crash, no
// undefined behaviour, no leak, and every lookup answers. Not run in CI;
// build with clang and -DVARNO_BUILD_FUZZERS=ON, then, with a scratch folder
// first so that new inputs go there and the seeds stay as committed,
//   build/tests/core/reg_text_fuzz -max_len=4096 -max_total_time=600 -timeout=1 \
//       scratch/ tests/core/reg_text_fuzz_corpus/
// The seeds hold the shapes that once went quadratic (a deep key with many
// value lines under it, keys deleted one by one).
#include "core/reg_text.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::ostringstream warnings;
    const auto document = varno::parseRegText(text, "fuzz.reg", warnings);
    if (!document)
        return 0;
    // Look up what the text itself names, as the launcher would.
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t open = rest.find('[');
        if (open == std::string_view::npos)
            break;
        const std::size_t close = rest.find(']', open);
        const std::string_view path = rest.substr(open + 1, close == std::string_view::npos ? 0 : close - open - 1);
        if (const auto canonical = varno::canonicalKeyPath(path)) {
            (void)document->hasKey(*canonical);
            (void)document->findValue(*canonical, "PATH");
        }
        rest.remove_prefix(close == std::string_view::npos ? rest.size() : close + 1);
    }
    return 0;
}
