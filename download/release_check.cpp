#include "download/release_check.h"

#include "download/http_date.h"

namespace {

// A strong entity tag: a quoted string of visible characters without a quote inside.
bool IsStrongEntityTag(std::wstring_view tag)
{
    if (tag.size() < 2 || tag.front() != L'"' || tag.back() != L'"')
        return false;
    for (const wchar_t c : tag.substr(1, tag.size() - 2)) {
        if (c == L'"' || c < 0x21 || c == 0x7F)
            return false;
    }
    return true;
}

}  // namespace

std::wstring IfRangeValidator(std::optional<std::wstring_view> etag, std::optional<std::wstring_view> lastModified,
                              std::optional<std::wstring_view> date)
{
    if (etag && IsStrongEntityTag(TrimBlanks(*etag)))
        return std::wstring(TrimBlanks(*etag));
    if (!lastModified || !date)
        return {};
    const auto modified = ParseHttpDate(TrimBlanks(*lastModified));
    const auto answered = ParseHttpDate(TrimBlanks(*date));
    if (!modified || !answered || *answered - *modified < 1)
        return {};
    return std::wstring(TrimBlanks(*lastModified));
}

bool ReleaseChanged(const std::wstring& validator, std::optional<std::wstring_view> etag,
                    std::optional<std::wstring_view> lastModified)
{
    const bool isTag = !validator.empty() && validator.front() == L'"';
    const auto named = isTag ? etag : lastModified;
    return !named || TrimBlanks(*named) != validator;
}
