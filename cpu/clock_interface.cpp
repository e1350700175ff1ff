// Default of the clock interface's disassembler: no instruction.
#include "cpu/clock_interface.h"

#include "base/string_a.h"

i32 ClockInterface::Disassemble(StringA& address, StringA& hex, StringA& mnemonic, StringA& flags, StringA& trace,
                                StringA& spare6, StringA& spare7, u32* kind, u32* width1, u32* width2,
                                u32* width3, u32* width4, u32* width5, u32* width6, u32* width7)
{
    for (StringA* text : {&address, &hex, &mnemonic, &flags, &trace, &spare6, &spare7})
        text->Clear();
    for (u32* value : {kind, width1, width2, width3, width4, width5, width6, width7})
        if (value)
            *value = 0;
    return 0;
}
