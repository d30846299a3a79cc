#include "notebook/notebooklesson.h"

namespace ingranix::notebook {

lessonfile::Lesson lessonOf(const Notebook &notebook, const MechanismState &machine, const QDateTime &saved) {
    lessonfile::Lesson lesson;
    lesson.saved = saved;
    lesson.mechanism = machine;
    lesson.model = notebook.model().text();
    lesson.experiments.reserve(std::size_t(notebook.rowCount()));
    for (int i = 0; i < notebook.rowCount(); ++i) {
        const LoggedExperiment &e = notebook.experiment(i);
        lesson.experiments.push_back({e.input, e.output, e.settings.levelText, e.settings.gearColour,
                                      e.settings.mechanismIndex, e.settings.constants,
                                      notebook.model().isValid() && i >= notebook.firstPrediction(),
                                      notebook.row(i).myPrediction});
    }
    return lesson;
}

lessonfile::Problem checkLesson(const lessonfile::Lesson &lesson) {
    return Model::compile(lesson.model).error() ? lessonfile::Problem::ModelMistake
                                                : lessonfile::Problem::None;
}

} // namespace ingranix::notebook
