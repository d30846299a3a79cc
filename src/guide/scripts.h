#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

namespace ingranix {

class GuideCharacter;

// Everything the guide says and does, as fixed sequences of requests on the character.
// The texts are the game's own and must stay exactly as they are, pause tags included.
namespace guidescript {

// Loads "merlin" from "merlin.<ext>" in `resourceFolder`, sets Italian and the balloon font.
void LoadGuide(GuideCharacter &guide, const QString &resourceFolder);
// screenPixels: the size of the screen the guide stands on.
void GreetPlayer(GuideCharacter &guide, QSize screenPixels);
void CoachAfterLevel(GuideCharacter &guide);
void CoachAfterColour(GuideCharacter &guide);
void explainGoal(GuideCharacter &guide);       // menu Istruzioni > obiettivo
void explainControls(GuideCharacter &guide);   // menu Istruzioni > controlli
void explainOperations(GuideCharacter &guide); // menu Istruzioni > operazioni
void showGuide(GuideCharacter &guide);         // menu Assistente > Mostra
void hideGuide(GuideCharacter &guide);         // menu Assistente > Nascondi
void WarnEmptyInput(GuideCharacter &guide);
// The reaction to the experiment that made experimentCount equal to `count` (only 1 to 3 react).
void reactToExperiment(GuideCharacter &guide, int count);
// After a mechanism file was opened: show, "search", and the speech naming the chosen file.
void announceOpenedFile(GuideCharacter &guide, const QString &chosenName);
// Once per game, when the typed text holds a comma: the machine reads decimals with the point.
// `typed` is the player's text; a single number with a decimal comma is said back with the point.
void tellDecimalPoint(GuideCharacter &guide, const QString &typed);
// After a lesson was opened: show, and a calm sentence naming the lesson (its file name without the ending).
void announceOpenedLesson(GuideCharacter &guide, const QString &lessonName);
// One short sentence each, for the failures the player must hear about.
void reportSaveFailed(GuideCharacter &guide);
void reportPrintFailed(GuideCharacter &guide);

// The character file's name for an id, e.g. "merlin" -> "merlin.<ext>".
QString characterFileName(const QString &id);

} // namespace guidescript
} // namespace ingranix
