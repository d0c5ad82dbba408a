#include "engine/ops/attached_objects.h"

#include "engine/sectioned/sectioned_file.h"
#include "engine/usertext/user_text_store.h"

#include <new>

namespace engine {

bool CopyUserTexts(const ApplicationRecord& source, ApplicationRecord& copy)
{
    copy.userTexts = nullptr;
    if (!source.userTexts)
        return true;
    try {
        copy.userTexts = new UserTextStore(*source.userTexts);
    } catch (...) {
        return false;
    }
    copy.userTexts->SetOwner(&copy);
    return true;
}

bool CopySectionedFile(const SectionedFile* source, SectionedFile*& target)
{
    target = nullptr;
    if (!source)
        return true;
    try {
        target = new SectionedFile(*source);
    } catch (...) {
        return false;
    }
    return true;
}

void DeleteUserTexts(UserTextStore*& store)
{
    delete store;
    store = nullptr;
}

void DeleteSectionedFile(SectionedFile*& file)
{
    delete file;
    file = nullptr;
}

bool UserTextsDiffer(const UserTextStore* a, const UserTextStore* b)
{
    if (!a || !b)
        return a != b;
    return !a->Equals(*b);
}

void RepointUserTexts(ApplicationRecord& application)
{
    if (application.userTexts)
        application.userTexts->SetOwner(&application);
}

}  // namespace engine
