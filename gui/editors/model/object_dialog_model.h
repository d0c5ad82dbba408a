#pragma once
// The frame every kernel object dialog shares: the records it works on, filling the name, description and
// trace controls, the store helpers (each writes the value and says whether it differs from the value the
// dialog opened with), the common name checks with their messages, and the class entry's file-dirty markers.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/project/object_keys.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "gui/editors/model/dialog_model.h"

namespace editors {

enum ObjectControl : int {
    IdName = 1065,
    IdDescription = 1066,
    IdTrace = 1194,
    IdTraceAlarm = 1193,
    IdTraceActor = 1197,
    IdTraceGroup = 1230,
};

using engine::kPlacementLabelLimit;
constexpr int IdLabel = 1169;

// The longest text a 128-byte record field holds.
constexpr int kFieldTextLimit = engine::kNameSize - 1;

class ObjectDialogModel : public DialogModel {
public:
    ObjectDialogModel(engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                      engine::ApplicationClassEntry& entry, engine::ObjectRecord& object, unsigned templateId);

    unsigned templateId() const override { return m_templateId; }
    int32_t classType() const { return m_entry.classType; }

    // The name edit's limit: the class's maximum name length, never more than the field holds.
    int nameLimit() const;

protected:
    // Name, description and their edit limits.
    void fillNameAndDescription(ViewState& state) const;
    // A trace check box: enabled when the class has System Trace and the model enables trace; checked when
    // the class has System Trace and the flag is set.
    void fillTrace(ViewState& state, int boxId, int32_t flag) const;
    bool traceEnabled() const;
    // An edit of a 128-byte text field.
    static void fillText(ViewState& state, int id, const char (&field)[engine::kNameSize]);
    // A number field of the data block, shown as its file description reads it (an unsigned count as its
    // unsigned decimal).
    void fillNumber(ViewState& state, int id, const int32_t& field) const;

    // ---- store phase: each returns whether the value differs from the one the dialog opened with, so an
    // OK refused after the store still counts the change on the next OK
    bool storeName(const ViewState& state);
    bool storeDescription(const ViewState& state);
    bool storeText(char (&field)[engine::kNameSize], const std::string& text);
    bool storeTrimmedText(char (&field)[engine::kNameSize], const std::string& text);
    // The number typed in control `id`, read as ParseNumber reads it; a number that is not a value of the
    // field's file description (past 32 bits, or outside its range) is remembered as unfit, to be refused
    // under `label` (the name the dialog's own check gives the field; the field's key when none).
    bool storeNumber(int32_t& field, const ViewState& state, int id, const char* label = nullptr);
    // A number whose edit the object's other choices leave unused (disabled): it keeps the value the dialog
    // opened with, whatever the edit shows.
    void keepNumber(int32_t& field);
    bool storeFlag(int32_t& field, bool checked);
    bool storeValue(int32_t& field, int32_t value);

    // ---- checks: false after showing the message
    // Shows the state in the controls, then the message (a corrected text is seen while the message asks
    // to inspect it).
    static void refuseShowing(const std::string& text, const ViewState& state, DialogHost& host);
    // The identifier check of a stored field; on a problem the control shows the stored (corrected) text.
    bool checkIdentifier(char (&field)[engine::kNameSize], int maxLength, const std::string& prefix, int controlId,
                         ViewState& state, DialogHost& host);
    bool checkName(ViewState& state, DialogHost& host);
    // An identifier check of an entry point (no length limit) with the "Entry point name" message.
    bool checkEntryPoint(char (&field)[engine::kNameSize], int controlId, ViewState& state, DialogHost& host);
    // A placement label: identifier check with the 32-character limit.
    bool checkLabel(char (&field)[engine::kNameSize], const std::string& prefix, ViewState& state,
                    DialogHost& host);
    bool isUnfit(const int32_t& field) const { return m_unfit.count(&field) != 0; }
    // A number field of the data block against the range its key takes on this CPU for the object as
    // stored (the one range the open holds it to): "<what> must be in the range of ..." when it lies outside
    // or the number typed did not fit 32 bits.
    bool checkKeyRange(const int32_t& field, const std::string& what);
    // Puts the number at the least of its key's range when the object's other values leave it outside.
    void fitKeyRange(int32_t& field);
    // After the class's own checks: a number still unfit (a field its class does not check, such as an
    // alignment under manual placement) is refused with its label and its description's range.
    bool numbersFit(OkOutcome& outcome);
    bool checkNameUnique();
    // The conflict search for a text (the object itself skipped); message prefix + the clash.
    bool checkConflict(const std::string& text, const std::string& prefix);
    bool checkNameConflict();
    // The three common checks in their order (identifier, uniqueness, conflict when the name changed); on a
    // failure fills outcome and returns false.
    bool commonChecks(ViewState& state, DialogHost& host, bool nameChanged, OkOutcome& outcome);
    // The common checks, then the dirty marks and close: the whole OK of a class without checks of its own.
    OkOutcome finishCommon(ViewState& state, DialogHost& host, bool nameChanged, bool descriptionChanged,
                           bool otherChanged);
    // Another object of the application bearing the text; the edited object does not count.
    bool otherObjectNamed(const std::string& text) const;

    // ---- dirty phase
    void markAllFilesDirtyAndChained();
    void markAllFilesDirty();
    void markCFileDirty();
    // The common rule: name -> C, H, M and the chained C; description -> C, H, M; anything else -> C.
    void markCommon(bool nameChanged, bool descriptionChanged, bool otherChanged);

    engine::CpuRecord& m_cpu;
    engine::ApplicationRecord& m_application;
    engine::ApplicationClassEntry& m_entry;
    engine::ObjectRecord& m_object;

private:
    // The same field in the copies taken when the dialog opened; a field outside the object record and
    // its data block is its own value at opening.
    const void* atOpen(const void* field, std::size_t size) const;
    template <typename T>
    const T& valueAtOpen(const T& field) const
    {
        return *static_cast<const T*>(atOpen(&field, sizeof field));
    }

    unsigned m_templateId;
    // The object record and its data block as they were before the dialog filled its controls (some
    // dialogs force values then; those count as changes too).
    engine::ObjectRecord m_objectAtOpen;
    std::vector<unsigned char> m_blockAtOpen;
    // The key of a number field of the data block, and its description; null for any other field.
    const engine::ObjectKey* numberKey(const int32_t& field) const;
    const engine::FieldDescription* numberDescription(const int32_t& field) const;

    // The number fields whose last stored text was not a value of the field, and the control of each.
    std::set<const int32_t*> m_unfit;
    std::map<const int32_t*, int> m_numberControls;
    std::map<const int32_t*, std::string> m_numberLabels;
};

// A copy of the bytes of the object's data block (empty when it has none).
std::vector<unsigned char> CopyOfDataBlock(const engine::ApplicationClassEntry& entry,
                                           const engine::ObjectRecord& object);

// The object's data block as the class's block type; null when the object has none.
template <typename Block>
Block* blockOf(engine::ObjectRecord& object)
{
    return static_cast<Block*>(object.data);
}

} // namespace editors
