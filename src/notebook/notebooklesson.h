#pragma once

#include "files/lessonfile.h"
#include "notebook/notebook.h"

#include <QDateTime>

namespace ingranix::notebook {

// The lesson of this notebook: the machine as it stands, the model, and every experiment of the log with
// its settings and whether it was run after the model last changed.
lessonfile::Lesson lessonOf(const Notebook &notebook, const MechanismState &machine, const QDateTime &saved);
// What keeps a lesson already read from opening, checked before anything changes: a model that does not
// compile (the notebook never saves one).
lessonfile::Problem checkLesson(const lessonfile::Lesson &lesson);

} // namespace ingranix::notebook
