// hc_contact_sheet ARCHIVE OUT.png
//
// One picture of everything visual in a built DATA.ERF: a frame of every movie and animation
// and every puzzle picture put together from its 16 pieces, each labelled with its entry name.
// It reads the archive itself, so it shows exactly what the program will play.

#include "archive/erf_reader.h"
#include "content/entry_names.h"
#include "content/probe/movie_probe.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Tile {
    std::string label;
    QImage image;
};

std::string readEntry(const std::string& name) {
    if (ErfOpenEntry(name.c_str()) == nullptr) {
        throw std::runtime_error("no entry " + name);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t got = ErfRead(sizeof buffer, buffer);
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    if (!ErfEntryEnded()) {
        throw std::runtime_error("entry " + name + " is damaged");
    }
    return bytes;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           std::equal(tail.rbegin(), tail.rend(), text.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The frame that shows a movie best: the flash card at rest, the puzzle screen's curtains
// half open, otherwise the middle.
int chosenFrame(const std::string& name, int count) {
    if (name == hc::entries::kFlashCardMovie) {
        return std::min(15, count - 1);
    }
    if (name == hc::entries::kPhonoMovie) {
        return std::min(45, count - 1);
    }
    return count / 2;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc != 3) {
        std::fputs("usage: hc_contact_sheet ARCHIVE OUT.png\n", stderr);
        return 2;
    }
    QGuiApplication app(argc, argv);
    try {
        if (ErfOpenArchive(argv[1], true, nullptr, nullptr) != 0) {
            throw std::runtime_error(std::string("can't open archive ") + argv[1]);
        }
        const std::vector<std::string> names = hc::erfEntryNames();
        QTemporaryDir scratch;
        std::vector<Tile> tiles;
        int puzzles = 0;
        for (const std::string& name : names) {
            if (!endsWith(name, ".avi")) {
                continue;
            }
            const QString file = scratch.filePath(QStringLiteral("movie.avi"));
            QFile out(file);
            const std::string bytes = readEntry(name);
            if (!out.open(QIODevice::WriteOnly) ||
                out.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                    static_cast<qint64>(bytes.size())) {
                throw std::runtime_error("can't write a scratch file");
            }
            out.close();
            std::vector<QImage> frames;
            const hc::content::MediaInfo info =
                hc::content::probeMedia(file.toStdString(), &frames);
            if (frames.empty()) {
                throw std::runtime_error("movie " + name + " has no frames");
            }
            char label[160];
            std::snprintf(label, sizeof label, "%s  %dx%d, %d frames%s", name.c_str(), info.width,
                          info.height, info.framesDecoded,
                          info.audioCodec.empty() ? "" : ", sound");
            tiles.push_back({label, frames[chosenFrame(name, static_cast<int>(frames.size()))]});
            if (name.rfind(hc::entries::kPuzzleMoviePrefix, 0) == 0) {
                ++puzzles;
            }
        }
        for (int k = 0; k < puzzles; ++k) {
            QImage picture(141, 133, QImage::Format_RGB32);
            picture.fill(QColor(0xC0, 0xC0, 0xC0));
            QPainter p(&picture);
            for (int piece = 0; piece < hc::entries::kPuzzlePieces; ++piece) {
                const std::string bytes = readEntry(hc::entries::puzzlePiece(k, piece));
                QImage image;
                image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                   static_cast<int>(bytes.size()), "BMP");
                // Each piece lies inside its 35 x 33 card, shown at 33 x 31.
                p.drawImage(QRect(35 * (piece % 4) + 1, 33 * (piece / 4) + 1, 33, 31), image);
            }
            p.end();
            tiles.push_back({"puzzle " + std::to_string(k) + ": its 16 pieces", picture});
        }

        constexpr int kCellWidth = 340;
        constexpr int kColumns = 5;
        constexpr int kLabel = 18;
        std::vector<int> rowHeights;
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            QImage& image = tiles[i].image;
            if (image.width() < 170) {
                image = image.scaled(image.size() * 2); // small pictures shown at double size
            }
            if (i % kColumns == 0) {
                rowHeights.push_back(0);
            }
            rowHeights.back() = std::max(rowHeights.back(), image.height() + kLabel + 16);
        }
        int height = 40;
        for (const int h : rowHeights) {
            height += h;
        }
        QImage sheet(kCellWidth * kColumns, height, QImage::Format_RGB32);
        sheet.fill(QColor(0x30, 0x30, 0x38));
        QPainter p(&sheet);
        p.setRenderHint(QPainter::TextAntialiasing);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(12);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 8, sheet.width(), 24), Qt::AlignCenter,
                   QStringLiteral("DATA.ERF contact sheet: %1 movies, %2 puzzles")
                       .arg(tiles.size() - static_cast<std::size_t>(puzzles))
                       .arg(puzzles));
        int top = 40;
        for (std::size_t row = 0; row < rowHeights.size(); ++row) {
            for (std::size_t column = 0; column < kColumns; ++column) {
                const std::size_t index = row * kColumns + column;
                if (index >= tiles.size()) {
                    break;
                }
                const Tile& tile = tiles[index];
                const int left = static_cast<int>(column) * kCellWidth;
                p.drawImage(left + (kCellWidth - tile.image.width()) / 2, top + 4, tile.image);
                p.drawText(QRect(left, top + 6 + tile.image.height(), kCellWidth, kLabel),
                           Qt::AlignCenter, QString::fromStdString(tile.label));
            }
            top += rowHeights[row];
        }
        p.end();
        if (!sheet.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
            throw std::runtime_error(std::string("can't write ") + argv[2]);
        }
        ErfCloseAll();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "hc_contact_sheet: %s\n", error.what());
        ErfCloseAll();
        return 1;
    }
}
