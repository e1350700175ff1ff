#include "gui/file_type_filter.h"

#include "base/object_list.h"

namespace {

WideStdString Wide(StringBase* s) { return s ? WideStdString(s->GetWide()) : WideStdString(); }

WideStdString FromAscii(const char* s)
{
    WideStdString out;
    while (*s)
        out.push_back(static_cast<wchar16>(*s++));
    return out;
}

}  // namespace

WideStdString BuildFileFilter(ObjectListBase& extensions, ObjectListBase& descriptions, u32 mode)
{
    const WideStdString star = FromAscii("*.");
    WideStdString groups;
    WideStdString allSupported;
    const int count = extensions.Count();
    for (int i = 0; i < count;) {
        const WideStdString description = Wide(descriptions.At(i));
        WideStdString label = description + FromAscii(" (");
        WideStdString pattern;
        int j = i;
        for (; j < count && Wide(descriptions.At(j)) == description; ++j) {
            const WideStdString extension = Wide(extensions.At(j));
            if (j > i) {
                label += FromAscii(",");
                pattern += FromAscii(";");
            }
            label += star + extension;
            pattern += star + extension;
            if (extension != FromAscii("*")) {
                if (!allSupported.empty())
                    allSupported += FromAscii(";");
                allSupported += star + extension;
            }
        }
        groups += label + FromAscii(")") + wchar16(0) + pattern + wchar16(0);
        i = j;
    }

    WideStdString filter;
    if (allSupported.empty())
        filter = FromAscii("All Files (*.*)") + wchar16(0) + FromAscii("*.*") + wchar16(0);
    else if (mode == kFileDialogOpen)
        filter = FromAscii("All Supported Files") + wchar16(0) + allSupported + wchar16(0) + groups;
    else
        filter = groups;
    filter.push_back(0);  // the list ends with two zeros
    return filter;
}
