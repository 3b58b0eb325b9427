// XML document fragments made from strings, the way the GAEB XML export
// appends converted texts to its tree.
//
// The string is parsed without network access, without loading a DTD and
// without expanding entities; a string with a document type declaration is
// refused, so external entities and entity bombs never unfold.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string_view>

namespace gaeb {

// A document fragment holding a deep copy of one element. It owns the private
// document its nodes live in and frees both.
class DokumentFragment {
 public:
  ~DokumentFragment();
  DokumentFragment(const DokumentFragment&) = delete;
  DokumentFragment& operator=(const DokumentFragment&) = delete;

  // The fragment node (type XML_DOCUMENT_FRAG_NODE); owned by this object.
  xmlNodePtr Knoten() const { return fragment_; }
  // The copied element, the fragment's only child; owned by this object.
  xmlNodePtr Element() const { return fragment_->children; }

  // Appends a deep copy of the element as last child of parent, in parent's
  // document, and drops namespace declarations that parent already has in
  // scope: a GAEB text lands in the GAEB namespace of the export's tree
  // without repeating its declaration. Returns the appended element (owned by
  // parent's document), or null when parent is null or memory is short.
  xmlNodePtr AnhängenAn(xmlNodePtr parent) const;

  // Moves the element out of the fragment into doc, unlinked, its names and
  // texts taken into doc's dictionary (or copied when doc has none), and
  // returns it; the caller links it in. The fragment is empty afterwards.
  // Cheaper than a copy for a fragment that is used once. Null when the
  // fragment is already empty, doc is null or memory is short.
  xmlNodePtr Entnehmen(xmlDocPtr doc);

 private:
  friend std::unique_ptr<DokumentFragment> ErzeugeDokumentFragment(std::string_view xml);
  DokumentFragment(xmlDocPtr dokument, xmlNodePtr fragment)
      : dokument_(dokument), fragment_(fragment) {}

  xmlDocPtr dokument_;
  xmlNodePtr fragment_;
};

// The fragment of the root element of xml (UTF-8), or null when xml is empty,
// not well-formed or carries a document type declaration.
std::unique_ptr<DokumentFragment> ErzeugeDokumentFragment(std::string_view xml);

// The root element of xml built straight into doc, unlinked, every element
// in ns (no declaration of its own): the nodes a parse, an adopt and moving
// the elements into ns would give, without the parser. Only for the plain
// markup the text converter writes: elements, attributes in double quotes,
// text with the five predefined entities and character references, a
// declaration of ns's namespace as default namespace. Anything else (other
// namespaces, comments, CDATA, line breaks that a parser would normalise,
// markup that is not well-formed) gives null and the caller parses instead.
xmlNodePtr BaueElement(std::string_view xml, xmlDocPtr doc, xmlNsPtr ns);

}  // namespace gaeb
