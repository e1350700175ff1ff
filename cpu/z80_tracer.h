// Trace texts of the Z80 disassembler: what the instruction at PC is about to do, with the
// live values it will use (registers, peeked memory, the return address a RET will pop,
// the outcome of a tested condition, the result of an arithmetic operation).
//
// Notation: ":=" assigns, "=" shows a value, [addr] is a memory cell, "=>"/"<=" store to
// and load from the stack, "*" marks an unconditional transfer, "+"/"-" a transfer that
// will be taken to a higher/lower address than the next instruction, "YES"/"no" whether a
// condition holds. Numbers are upper-case hex with a trailing "h".
//
// Every writer reads all its values before it writes, so a failed peek (the abort flag)
// leaves the trace empty and answers false. Nothing here changes the machine: registers
// are read, memory is peeked and results are computed on copies.
#pragma once

#include "base/types.h"

class StringA;
class Z80Cpu;

namespace z80trace {

// Unprefixed opcode; operand is the byte or word read after it (the displacement byte
// of a relative jump, the port's low byte of IN/OUT), next the address that follows the
// instruction.
bool TraceMain(Z80Cpu& cpu, u8 opcode, u32 operand, u16 next, StringA& trace);
// Second byte of CB.
bool TraceCB(Z80Cpu& cpu, u8 opcode, StringA& trace);
// Second byte of ED (only IN r,(C) and OUT (C),r have a trace form).
bool TraceED(Z80Cpu& cpu, u8 opcode, StringA& trace);
// Fourth byte of DD CB / FD CB with the displacement, the operand address and its byte.
void TraceIndexCB(Z80Cpu& cpu, u8 opcode, const char* name, u8 displacement, u16 address, u8 value,
                  StringA& trace);

}  // namespace z80trace
