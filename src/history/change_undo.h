#pragma once
// Undo of a kept change: which family reverses it, over which locations,
// and the columns the history dialog shows.
#include <string>
#include <utility>
#include <vector>

#include "history/change_commit.h"
#include "history/change_history.h"
#include "family/families.h"
#include "family/prompt.h"
#include "lang/local_formats.h"

namespace velmora {

class Translator;

// Reverses `change` through the family that made it, over every location
// that family lists (so a location the family does not know is refused).
// The reversal is committed as the Undo of `change`. False, after telling
// the user, when nothing was changed.
bool undoChange(const FamilyTable& families, const Change& change, UserPrompt& prompt, ChangeCommit& commit,
                const Translator& translator);

// What the trust rule (core/trust.h) says of undoing `change`: kept where
// only administrators write, or naming a place of the user's own (Act
// without a Trust, or for a change of a family this Velmora lacks).
TrustVerdict undoVerdict(const FamilyTable& families, const Trust* trust, const Change& change);

// Undoes the change the user selected in the history's list, read afresh
// from the file: the file is the truth, not what the list showed. Refused
// when the file no longer holds that very change, or holds another change
// of its number.
bool undoSelected(const FamilyTable& families, ChangeHistory& history, const Change& selected, UserPrompt& prompt,
                  ChangeCommit& commit, const Translator& translator);

// The dialog's columns for a change: number, time, what was done, name,
// location, details (the command line, or "old -> new" for a Modify; an Undo says
// which change it reversed; one Velmora will not undo says it is not
// trusted).
// The time is in the user's local time and format.
std::vector<std::string> historyColumns(const Change& change, const Translator& translator,
                                        const LocalFormats& formats = fixedFormats(), bool notTrusted = false);

}  // namespace velmora
