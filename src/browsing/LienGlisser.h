#pragma once

#include <QPixmap>
#include <QString>

#include <functional>

class QWidget;

// The drags as the browsers start them. The drag-and-drop controller sits
// above the browsers: the window plugs it in here. Until it does, a press
// arms nothing, the pictures are empty and a folder release copies nothing.
struct LienGlisser {
    // A press on `source` arms a drag of it showing the picture `image` (the
    // name of a picture holder, "BTL(0)"...).
    std::function<void(QWidget *source, const QString &image)> CommenceGlisser =
        [](QWidget *, const QString &) {};
    // The picture of a holder, for the pointer during a folder drag.
    std::function<QPixmap(const QString &nom)> Image = [](const QString &) { return QPixmap(); };
    // A tree folder released over the local folder list: its download.
    std::function<void()> RapatrieDossierSite = [] {};
};
