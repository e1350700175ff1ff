#include "app/about_box.h"

#include "base/string_a.h"
#include "base/system_utils.h"
#include "gui/button.h"
#include "gui/dialog.h"
#include "gui/panel.h"
#include "gui/text_label.h"

namespace {

// Adds child to parent; a refused child is deleted. Answers the child or null.
template <typename T>
T* Add(ContainerInterface* parent, T* child)
{
    if (parent && parent->AddChild(child))
        return child;
    delete child;
    return nullptr;
}

} // namespace

void RunAboutDialogBox(WindowInterface* owner, const StringW& title)
{
    Dialog dialog(370, 216);
    dialog.SetTitle(StringW("About"));
    dialog.SetMargins(Margins{3, 3, 3, 3});

    Panel* titlePanel = Add(&dialog, new Panel(2, 3, 307, 50, kAlignTop, 0, true));
    if (auto* label = Add(titlePanel, new TextLabel(0, 0, 0, 0, title, kAlignFill, true))) {
        label->LabelFont().SetKindSizeColor(1, AboutTitleFontSize(title.GetLength()), OptionalColor::Of(0xFF800000));
        label->LabelFont().SetBoldItalic(true, false);
    }
    Panel* versionPanel = Add(&dialog, new Panel(0, 10, 0, 86, kAlignTop, 3, true));
    StringA build;
    GetBuildDescription(build);
    if (auto* label = Add(versionPanel, new TextLabel(0, 0, 0, 26, AboutVersionText(build.GetNarrow()), kAlignTop, true)))
        label->LabelFont().SetKindSizeColor(4, 9, OptionalColor::Of(0xFF000080));
    if (auto* ok = Add(&dialog, new Button(ControlBounds{0, 0, 100, 36}, StringW("OK"), 1, kAlignBottom, true, 0)))
        ok->SetFocusable(true);

    dialog.DoModal(owner);
    dialog.Destroy();
}
