#include "content/gen/school_pictures.h"

#include "content/gen/scenes.h"
#include "content/school_files.h"

#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <unistd.h>

namespace hc::content {
namespace fs = std::filesystem;

bool isPuzzlePictureName(const std::string& fileName) {
    const std::string extension = lowerAscii(fs::path(fileName).extension().string());
    return extension == ".png" || extension == ".jpg" || extension == ".jpeg" ||
           extension == ".bmp";
}

namespace {

// A picture of which the puzzle would cut off more than a third (a tall portrait, a wide
// panorama) is warned about; the usual photo shapes (4:3, 3:2, upright or not) are not.
constexpr double kLeastShownPart = 2.0 / 3.0;

std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Qt's BMP reader fills a picture whose pixel rows are missing without a word, so the file's
// length is measured against what its header promises.
bool bmpIsCutOff(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<unsigned char, 34> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size()) || head[0] != 'B' ||
        head[1] != 'M') {
        return false; // not a Windows bitmap the check below understands; the reader decides
    }
    std::error_code error;
    const std::uintmax_t length = fs::file_size(file, error);
    if (error) {
        return true;
    }
    const std::uint64_t pixelsAt = le32(&head[10]);
    const std::uint32_t headerSize = le32(&head[14]);
    if (headerSize < 40) {
        return length < pixelsAt; // the old 12-byte header: at least the pixels must start
    }
    const auto width = static_cast<std::int32_t>(le32(&head[18]));
    const auto height = static_cast<std::int32_t>(le32(&head[22]));
    const unsigned bits = head[28] | (head[29] << 8);
    const std::uint32_t compression = le32(&head[30]);
    std::uint64_t pixelBytes = 0;
    if (compression == 0 || compression == 3) { // uncompressed, or bit fields
        const std::uint64_t rowBytes =
            (static_cast<std::uint64_t>(std::abs(width)) * bits + 31) / 32 * 4;
        pixelBytes =
            rowBytes * static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(height)));
    } else {
        std::array<unsigned char, 4> size{};
        in.read(reinterpret_cast<char*>(size.data()), size.size());
        pixelBytes = in ? le32(size.data()) : 0; // compressed: the size the header states
    }
    return length < pixelsAt + pixelBytes;
}

// Collects what Qt's image handlers complain about while a picture is read. libjpeg reports a
// picture cut off only this way; the picture it returns is grey where data was missing.
QStringList g_complaints;
void collectComplaint(QtMsgType, const QMessageLogContext&, const QString& message) {
    g_complaints << message;
}

// While alive, the decoders' messages are collected instead of printed, and what libpng writes
// straight to the error output is dropped: neither says which file it means.
class DecoderMessages {
public:
    DecoderMessages() {
        g_complaints.clear();
        m_previous = qInstallMessageHandler(collectComplaint);
        std::fflush(stderr);
        m_savedStderr = dup(STDERR_FILENO);
        if (std::FILE* sink = std::fopen("/dev/null", "w")) {
            dup2(fileno(sink), STDERR_FILENO);
            std::fclose(sink);
        }
    }
    ~DecoderMessages() {
        std::fflush(stderr);
        if (m_savedStderr >= 0) {
            dup2(m_savedStderr, STDERR_FILENO);
            close(m_savedStderr);
        }
        qInstallMessageHandler(m_previous);
    }
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;
    QStringList complaints() const { return g_complaints; }

private:
    QtMessageHandler m_previous = nullptr;
    int m_savedStderr = -1;
};

} // namespace

QImage readSchoolPicture(const fs::path& file) {
    const std::string shown = file.generic_string();
    QImage image;
    QStringList complaints;
    QByteArray format;
    {
        // Photos from today's cameras are larger than Qt's default allowance.
        QImageReader::setAllocationLimit(1024);
        QImageReader reader(QString::fromStdString(file.string()));
        reader.setDecideFormatFromContent(true);
        // A phone stores a photo as its sensor saw it and says in a tag how to turn it.
        reader.setAutoTransform(true);
        format = reader.format(); // known before reading only
        const DecoderMessages messages;
        image = reader.read();
        complaints = messages.complaints();
    }
    if (image.isNull()) {
        throw ContentProblem(shown + " is not a picture that can be read: it may be damaged, or "
                                     "in another format than its name says (open it in a "
                                     "picture program and save it again as PNG or JPEG)");
    }
    if (!complaints.isEmpty() || (format == "bmp" && bmpIsCutOff(file))) {
        throw ContentProblem(shown + " is cut off or damaged: only part of the picture can be "
                                     "read (open it in a picture program and save it again as "
                                     "PNG or JPEG)");
    }
    // Transparent parts are white, as on paper: line art drawn on a transparent background
    // would otherwise lose its background to black.
    QImage onWhite(image.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    QPainter painter(&onWhite);
    painter.drawImage(0, 0, image);
    painter.end();
    return onWhite;
}

void checkPuzzlePictures(const fs::path& folder, Findings& findings) {
    const QSize puzzle = layout::kPuzzle;
    for (const fs::path& file : schoolFiles(folder)) {
        const std::string shown = file.generic_string();
        std::error_code error;
        if (fs::is_directory(file, error)) {
            findings.warn(shown +
                          " is a folder, and pictures inside folders make no puzzle: put "
                          "them straight into " +
                          folder.generic_string() + ".");
            continue;
        }
        if (!isPuzzlePictureName(file.filename().string())) {
            findings.warn(shown + " makes no puzzle: puzzles are made from PNG, JPEG or BMP "
                                  "pictures (names ending in .png, .jpg, .jpeg or .bmp). Save it "
                                  "as PNG or JPEG to use it.");
            continue;
        }
        try {
            const QImage picture = readSchoolPicture(file);
            const std::string size =
                std::to_string(picture.width()) + " x " + std::to_string(picture.height());
            const std::string frame =
                std::to_string(puzzle.width()) + " x " + std::to_string(puzzle.height());
            // How much of the picture the puzzle shows: it is scaled to cover the frame, and
            // what sticks out on two sides is cut off.
            const double shape = static_cast<double>(picture.width()) / picture.height();
            const double frameShape = static_cast<double>(puzzle.width()) / puzzle.height();
            if (std::min(shape / frameShape, frameShape / shape) < kLeastShownPart) {
                const bool tall = shape < frameShape;
                findings.warn(shown + " is " + size + " pixels, " +
                              (tall ? "much taller" : "much wider") + " than the puzzle's frame (" +
                              frame + "): only its middle is used, and its " +
                              (tall ? "top and bottom are" : "left and right sides are") +
                              " cut off. Crop it to about the frame's shape to choose what "
                              "the puzzle shows.");
            }
            if (picture.width() < puzzle.width() || picture.height() < puzzle.height()) {
                findings.warn(shown + " is only " + size + " pixels, smaller than the puzzle (" +
                              frame +
                              "), so the puzzle will look blurred. Use a picture at least that "
                              "big.");
            }
        } catch (const ContentProblem& problem) {
            findings.refuse(problem.what());
        }
    }
}

std::string schoolPuzzleList(int firstNumber, const std::vector<std::string>& pictures) {
    if (pictures.empty()) {
        return {};
    }
    std::string text = "Your puzzle pictures:\n";
    int number = firstNumber;
    for (const std::string& picture : pictures) {
        text += "  puzzle " + std::to_string(number++) + ": " + picture + "\n";
    }
    text +=
        wrapText("Puzzles 0 to " + std::to_string(firstNumber - 1) +
                     " are the drawn ones. Your pictures are numbered in the order of their file "
                     "names, with numbers in names counted as numbers (2 before 10) and capital "
                     "letters the same as small ones, so adding, renaming or deleting a picture "
                     "changes the numbers of the pictures after it.",
                 "") +
        "\n";
    return text;
}

} // namespace hc::content
