// MovieModel::dump — the readable form movdump prints after the atom tree.
#include "platform/movies/format/Movie.h"

namespace platform::movies {

namespace {

void dump_media(std::ostream& out, const Media& m, bool every_sample) {
    out << indent(1) << "media: type '" << fourcc_string(m.type()) << "', time scale "
        << m.header.time_scale << ", duration " << m.header.duration << ", language "
        << m.header.language << ", handler \"" << m.handler.name() << "\"";
    if (m.data_handler)
        out << ", data handler '" << fourcc_string(m.data_handler->subtype) << "' \""
            << m.data_handler->name() << "\"";
    out << "\n";
    if (m.video_header) {
        out << indent(1) << "video media header: ";
        m.video_header->dump(out, 0);
    }
    if (m.sound_header) {
        out << indent(1) << "sound media header: ";
        m.sound_header->dump(out, 0);
    }
    if (m.generic_header) {
        out << indent(1) << "generic media header:\n";
        m.generic_header->dump(out, 2);
    }
    if (m.data_refs()) {
        out << indent(1) << "data references:\n";
        m.data_info->refs->dump(out, 2);
    } else {
        out << indent(1) << "data references: none (data in the movie file)\n";
    }
    out << indent(1) << "sample descriptions:\n";
    m.descriptions.dump(out, 2, m.type());
    out << indent(1) << "sample table:\n";
    m.samples.dump(out, 2, every_sample);
}

}  // namespace

void MovieModel::dump(std::ostream& out, bool every_sample) const {
    out << "movie:\n";
    header.dump(out, 1);
    if (user_data && !user_data->empty()) {
        out << indent(1) << "user data:\n";
        user_data->dump(out, 2);
    }
    if (!kept.empty()) out << indent(1) << kept.count() << " atom(s) kept as read\n";
    for (size_t i = 0; i < tracks.size(); ++i) {
        const Track& t = tracks[i];
        out << "track " << i + 1 << ": ID " << t.header.track_id << ", '"
            << fourcc_string(t.media.type()) << "'\n";
        t.header.dump(out, 1);
        if (t.edits && t.edits->list) {
            out << indent(1) << "edit list:\n";
            t.edits->list->dump(out, 2);
        } else {
            out << indent(1) << "edit list: none\n";
        }
        if (t.references && !t.references->empty()) {
            out << indent(1) << "references:\n";
            t.references->dump(out, 2);
        }
        dump_media(out, t.media, every_sample);
        if (t.user_data && !t.user_data->empty()) {
            out << indent(1) << "user data:\n";
            t.user_data->dump(out, 2);
        }
    }
}

}  // namespace platform::movies
