#pragma once
// The rules of the user text dialogs: which generated files "Select file to edit" lists for an application
// or a class, what an edit marks for regeneration, and how the "Edit text" dialog moves text lists in and
// out of its edits.
#include <string>
#include <vector>

#include "engine/records/records.h"
#include "engine/usertext/user_text_store.h"

namespace editors {

// The class type that asks for the application's own files.
constexpr int kApplicationUserTexts = -1;

// The blocks of the application's store to list, in store order. classType is a class type number or
// kApplicationUserTexts (0xFFFFFFFF means the same).
std::vector<engine::UserTextBlock*> UserTextBlocksToList(engine::ApplicationRecord& application, int classType);

// Opens the store's editor on the block. When a list changed, marks the generated files to write again
// and the application edited, and returns 1; else 2.
int EditUserTextBlock(engine::ApplicationRecord& application, engine::UserTextBlock& block);
// The marks of a changed block.
void MarkUserTextChange(engine::ApplicationRecord& application, const engine::UserTextBlock& block);

// The editor's text of a list: its lines joined by newlines, and back.
std::string JoinUserText(const std::vector<std::string>& lines);
std::vector<std::string> SplitUserText(const std::string& text);
// Replaces the list by the text's lines when the text differs from the list; true when it did.
bool StoreUserText(std::vector<std::string>& lines, const std::string& text);

} // namespace editors
