#include "sound/setting_flags.h"

#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/value.h"

void BindFlag(Dictionary* dict, const StringA& key, u8* flag)
{
    if (ValueRef* ref = dict->NewBinding(key))
        ref->Bind(kValueBool, flag);
}

void BindFlags(Dictionary* dict, const char* base, u8* flags, i32 count)
{
    StringA key;
    for (i32 r = 0; r < count; ++r) {
        key.Format("%s[%ld]", base, r);
        BindFlag(dict, key, &flags[r]);
    }
}
