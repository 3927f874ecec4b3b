#pragma once
// The "HTML Format" block that rich editors read from the clipboard: a
// header of byte offsets, then an HTML document whose fragment is the part
// to paste.
#include <string>
#include <string_view>

namespace kaveto {

// The block for a UTF-8 fragment (up to its first zero byte, as the other
// clipboard texts end there):
//   Version:0.9
//   StartHTML, EndHTML, StartFragment, EndFragment: byte offsets from the
//     block's start, ten digits each, so that the header's length never
//     depends on them;
//   SourceURL: `source_url`, when it is not empty (it must be one line);
// each line ended by CR LF, then <html><body>, <!--StartFragment-->, the
// fragment, <!--EndFragment-->, </body></html>. EndHTML is the block's
// length; the zero that ends a clipboard block is no part of it.
std::string BuildHtmlFormat(std::string_view fragment, std::string_view source_url);

}  // namespace kaveto
