#pragma once
// The parameter file from the operator's side: the dialogues and messages
// of the Send/Get FILE target and of the application menu.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
namespace bx {
struct Context;

// Send with target FILE: collects the panel values, asks for the file and
// writes it. 1 written, 0 cancelled or declined, -1 the write failed.
int SendParaToFile(Context& ctx);
// Get with target FILE: asks for the file and reads it into the records
// (not yet shown). 1 read, 0 cancelled, -1 the file could not be read.
int GetParaFromFile(Context& ctx);

// Application menu: load (read, then GET from FILE or leave it pending)
// and save (collect, then write), with the menu's own messages.
// 1 done, 0 cancelled, -1 failed.
int LoadConfigFile(Context& ctx);
int SaveConfigFile(Context& ctx);

}  // namespace bx
