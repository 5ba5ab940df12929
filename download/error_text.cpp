#include "download/error_text.h"

#include <cstdint>

#include "app/number_text.h"

const wchar_t* ErrorBoxPrefixKey(ErrorBox box)
{
    switch (box) {
    case ErrorBox::System:
        return L"STR_SYSTEM_ERROR";
    case ErrorBox::Network:
        return L"STR_NETWORK_ERROR";
    case ErrorBox::Url:
        break;
    }
    return L"";
}

std::wstring ErrorBoxText(ErrorBox box, std::wstring_view prefix, unsigned long code)
{
    if (box == ErrorBox::Url)
        return L"error : URL, URL error";
    std::wstring text(prefix);
    text += L" : ";
    text += DecimalText(static_cast<std::int32_t>(static_cast<std::uint32_t>(code)));
    return text;
}
