#include "gui/message_box.h"

#include "gui/message_box_answer.h"

bool MessageBoxBase::ShowModalWith(WindowInterface* owner, DialogCallbackFn callback, const StringW& text,
                                   const StringW& title)
{
    SetMessage(text);
    SetTitle(title);
    return ShowModalBox(owner, callback, true);
}

bool MessageBoxBase::AskWith(WindowInterface* owner, const StringW& text, const StringW& title)
{
    SetMessage(text);
    SetTitle(title);
    return Ask(owner);
}

bool MessageBoxBase::ShowModalBox(WindowInterface* owner, DialogCallbackFn callback, bool run)
{
    if (owner == nullptr || callback == nullptr || !run)
        return false;
    if (!Ask(owner))
        return false;
    callback(this);
    return true;
}

bool MessageBox::Ask(WindowInterface* ownerWindow)
{
    result = 0;
    WindowBase* native = UsableOwner(ownerWindow);
    if (native == nullptr)
        return false;
    const StringW caption = GetTitle();
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = native->GetHandle();
    params.hInstance = native->GetInstance();
    params.lpszText = message.GetWide();
    params.lpszCaption = caption.GetWide();
    params.dwStyle = MessageBoxStyleFor(kind);
    MarkShown(true);
    owner = native;
    const int answer = MessageBoxIndirectW(&params);
    MarkShown(false);
    owner = nullptr;
    result = MessageBoxResultFor(answer);
    return answer != 0;
}
