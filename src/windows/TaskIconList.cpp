#include "windows/TaskIconList.h"

#include "base/WinText.h"

#include <shellapi.h>

namespace keyvane {
namespace {

HICON ExtractSized(const std::u16string& file, int index, int size) {
    HICON icon = nullptr;
    // Asks for the wanted size, so 150% shows a real 48-pixel picture.
    if (PrivateExtractIconsW(W(file), index, size, size, &icon, nullptr, 1, 0) == 1 && icon)
        return icon;
    icon = ExtractIconW(GetModuleHandleW(nullptr), W(file), static_cast<UINT>(index));
    // 1 means "not an executable file"; not a handle.
    if (reinterpret_cast<UINT_PTR>(icon) <= 1) return nullptr;
    return icon;
}

// A bitmap stretched to size x size, or null.
HBITMAP Stretched(HBITMAP source, int size) {
    BITMAP info{};
    if (!source || !GetObjectW(source, sizeof info, &info)) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP result = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, result);
    SetStretchBltMode(to, HALFTONE);
    StretchBlt(to, 0, 0, size, size, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return result;
}

void AddBlank(HIMAGELIST list, int size) {
    HDC screen = GetDC(nullptr);
    HBITMAP blank = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    ImageList_Add(list, blank, nullptr);
    DeleteObject(blank);
}

} // namespace

HIMAGELIST BuildTaskIconList(HINSTANCE instance, const IconPlan& plan, int size,
                             const BuiltInPictures& pictures) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK,
                                       static_cast<int>(plan.sources.size()), 4);
    if (!list) return nullptr;
    for (const IconSource& source : plan.sources) {
        if (source.kind == IconSource::Kind::File) {
            HICON icon = ExtractSized(source.file, source.index, size);
            if (!icon) icon = ExtractSized(std::u16string(kShellLibrary), kFallbackIconIndex, size);
            if (icon) {
                ImageList_AddIcon(list, icon);
                DestroyIcon(icon);
            } else {
                AddBlank(list, size);
            }
            continue;
        }
        const int id = pictures.Of(source.kind);
        HBITMAP picture =
            id ? static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                                                 LR_CREATEDIBSECTION))
               : nullptr;
        HBITMAP stretched = Stretched(picture, size);
        if (stretched)
            ImageList_Add(list, stretched, nullptr);
        else
            AddBlank(list, size);
        if (stretched) DeleteObject(stretched);
        if (picture) DeleteObject(picture);
    }
    return list;
}

} // namespace keyvane
