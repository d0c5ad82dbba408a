#include "engine/names/application_sections.h"

#include <unordered_map>
#include <unordered_set>

#include "engine/names/project_walk.h"
#include "engine/project/project_check.h"
#include "engine/project/round_trip.h"
#include "engine/project/section_io.h"
#include "engine/records/text_field.h"
#include "engine/usertext/user_text_store.h"

namespace engine {
namespace {

// Every section of the application's file by its folded name, with the object whose section it is
// (null for the application's own sections and the class entries'); a name held twice is kept twice. Follows the writer's order and its
// bounds: chains and child lists at most kMaxChainDepth deep.
class SectionCensus {
public:
    explicit SectionCensus(const ApplicationRecord& application)
    {
        add("APPLICATION", nullptr);
        if (application.userTexts != nullptr) {
            for (const std::string& name : application.userTexts->SectionNames())
                add(name, nullptr);
        }
        add("MODEL OPTIONS", nullptr);
        for (int32_t i = 0; application.options != nullptr && i < application.optionCount; ++i)
            add(textString(application.options[i].name), nullptr);
        add("CLASS TYPES", nullptr);
        for (int32_t i = 0; application.classEntries != nullptr && i < application.classEntryCount; ++i)
            addEntry(application.classEntries[i], 0);
    }

    // True when a section of that name belongs to something other than the given objects (to another
    // object, or to no object).
    bool heldElsewhere(const std::string& name, const std::unordered_set<const ObjectRecord*>& objects) const
    {
        const auto [first, last] = m_sections.equal_range(sectionLookupKey(name));
        for (auto it = first; it != last; ++it) {
            if (it->second == nullptr || !objects.count(it->second))
                return true;
        }
        return false;
    }

    // The first name held twice, as it was first written.
    std::string repeat() const
    {
        for (const std::string& key : m_order) {
            if (m_sections.count(key) > 1)
                return m_written.at(key);
        }
        return {};
    }

private:
    void add(const std::string& name, const ObjectRecord* owner)
    {
        std::string key = sectionLookupKey(name);
        if (m_written.emplace(key, name).second)
            m_order.push_back(key);
        m_sections.emplace(std::move(key), owner);
    }

    void addEntry(const ApplicationClassEntry& entry, int depth)
    {
        if (depth > kMaxChainDepth)
            return;
        add(textString(entry.name), nullptr);
        if (entry.objects != nullptr && entry.objectCount > 0) {
            add("OBJS " + textString(entry.name), nullptr);
            addObjects(entry, entry.objectCount, entry.objects, depth);
        }
        if (entry.chained != nullptr)
            addEntry(*entry.chained, depth + 1);
    }

    void addObjects(const ApplicationClassEntry& entry, int32_t count, const ObjectRecord* objects, int depth)
    {
        for (int32_t i = 0; i < count; ++i) {
            const ObjectRecord& object = objects[i];
            const bool chained = entry.chained != nullptr && depth < kMaxChainDepth;
            for (const std::string& name : ObjectSectionNames(object, chained))
                add(name, &object);
            if (chained && object.children != nullptr && object.childCount > 0)
                addObjects(*entry.chained, object.childCount, object.children, depth + 1);
        }
    }

    std::unordered_multimap<std::string, const ObjectRecord*> m_sections;
    std::vector<std::string> m_order;                      // the folded names in file order
    std::unordered_map<std::string, std::string> m_written; // each folded name as first written
};

// The object and every object below it, each once, at most kMaxChainDepth levels deep.
void collectTree(const ObjectRecord& object, int depth, std::vector<const ObjectRecord*>& tree)
{
    tree.push_back(&object);
    if (depth >= kMaxChainDepth || object.children == nullptr)
        return;
    for (int32_t i = 0; i < object.childCount; ++i)
        collectTree(object.children[i], depth + 1, tree);
}

}  // namespace

std::vector<std::string> ObjectSectionNames(const ObjectRecord& object, bool hasChainedClass)
{
    std::vector<std::string> names{textString(object.name)};
    if (hasChainedClass && object.children != nullptr && object.childCount > 0)
        names.push_back("OBJS " + textString(object.name));
    return names;
}

std::string MovedObjectNameClash(ApplicationRecord& application, const ObjectRecord& moved,
                                 const std::vector<std::string>& extraSections)
{
    const SectionCensus census(application);
    std::vector<const ObjectRecord*> tree;
    collectTree(moved, 0, tree);
    const std::unordered_set<const ObjectRecord*> movedObjects(tree.begin(), tree.end());
    std::vector<std::string> names = extraSections;
    for (const ObjectRecord* object : tree) {
        // A child list is written only below a chained class; counting it always may only refuse more.
        for (std::string& name : ObjectSectionNames(*object, true))
            names.push_back(std::move(name));
    }
    std::unordered_set<std::string> brought;
    for (const std::string& name : names) {
        if (!brought.insert(sectionLookupKey(name)).second || census.heldElsewhere(name, movedObjects))
            return name;
    }
    return {};
}

std::string ApplicationSectionRepeat(const ApplicationRecord& application)
{
    return SectionCensus(application).repeat();
}

std::string KeptEditProblem(const ProjectRecord& project)
{
    if (std::string problem = ProjectCheckProblem(project); !problem.empty())
        return problem;
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            const ApplicationRecord& application = cpu.applications[a];
            if (const std::string name = ApplicationSectionRepeat(application); !name.empty())
                return "the name \"" + name + "\" is used twice in the file of application \"" +
                       textString(application.name) + "\" of CPU \"" + textString(cpu.name) + "\"";
        }
    }
    return ProjectRoundTripProblem(project);
}

std::string KeptEditRefusal(const ProjectRecord& project)
{
    const std::string problem = KeptEditProblem(project);
    return problem.empty() ? problem
                           : "The change cannot be kept: the project could not be saved and opened again, as " +
                                 problem + ".";
}

}  // namespace engine
