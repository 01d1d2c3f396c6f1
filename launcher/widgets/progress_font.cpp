#include "progress_font.h"

#include <cwchar>

#include "platform.h"

namespace {

constexpr LONG font_height = 18;
constexpr LONG font_weight = FW_BOLD;
constexpr wchar_t font_face[] = L"MS UI Gothic";
// The record as Windows XP knows it (the build's API level), the size
// every Windows version accepts; Vista's longer one fails on XP.
constexpr UINT metrics_size = sizeof(NONCLIENTMETRICSW);

void set_face(LOGFONTW& font) {
    wcsncpy(font.lfFaceName, font_face, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
}

}  // namespace

font_handle create_progress_font() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = metrics_size;
    LOGFONTW font{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics_size, &metrics, 0)) {
        font = metrics.lfMessageFont;
        font.lfWidth = 0;
        font.lfHeight = font_height;
        font.lfWeight = font_weight;
        if (is_vista_or_later()) {
            set_face(font);
            font.lfQuality = ANTIALIASED_QUALITY;
        }
    } else {
        // Same size and weight as the normal path, so the message stays readable.
        font.lfHeight = font_height;
        font.lfWeight = font_weight;
        font.lfCharSet = DEFAULT_CHARSET;
        set_face(font);
    }
    return font_handle(::CreateFontIndirectW(&font));
}
