#pragma once

#include <QFont>
#include <QHash>
#include <QImage>
#include <memory>

#include "preflight.h"

namespace pobelo {

class VerticalShaper;

// The advances of text as the painter surface draws it: the face name resolved to an installed
// font, and with a vertical-writing face ("@" name) every full-width run shaped as a column.
// Needs a running QGuiApplication.
class FontMeasurer : public TextMeasurer {
  public:
    FontMeasurer();
    ~FontMeasurer() override;
    float advance(const QString& fontName, float points, bool bold, bool italic,
                  const QString& text) override;

  private:
    struct Face {
        QFont font;
        std::unique_ptr<VerticalShaper> shaper;
    };
    struct FaceKey {
        QString family;
        float points;
        bool bold;
        bool italic;
        bool vertical;
        bool operator==(const FaceKey&) const = default;
        friend size_t qHash(const FaceKey& key, size_t seed = 0) {
            return qHashMulti(seed, key.family, key.points, key.bold, key.italic, key.vertical);
        }
    };
    Face& face(const QString& family, float points, bool bold, bool italic, bool vertical);

    // A device of 1440 dots to the inch: one dot is one twip.
    QImage twips_;
    QHash<QString, QString> families_;
    QHash<FaceKey, std::shared_ptr<Face>> faces_;
};

}  // namespace pobelo
