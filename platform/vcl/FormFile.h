#pragma once
// Form files: the text description of a component tree.
//
//   object Form2: TForm2
//     Caption = 'It''s a form'           strings: '' for a quote, #13#10 for characters by code,
//     Font.Style = [fsBold]               parts joined directly or with +
//     Tag = -3                            integers (also $FF), floats (1.5), identifiers
//     Items.Strings = ( 'a' 'b' )         string lists
//     Picture.Data = { 0A54 4249 }        binary data in hexadecimal
//     Panels = < item Width = 50 end >    collections
//     OnClick = Button1Click              events: handlers the root bound by name
//     ActiveControl = Edit1               references: components by name (resolved at the end)
//     object Edit1: TEdit                 children: created by class name, owned by the root,
//       Left = 8                          with the enclosing object as parent
//     end
//   end
//
// Properties are assigned in file order through their setters, so side effects happen as when
// a form loads; each component is in the loading state (csLoading) until its Loaded runs, which
// happens after the whole file was read and references resolved (children in file order, then
// the root). Classes are looked up among the root's bound field classes, then in the registry.
//
// The writer emits published properties in declaration order, leaving out those not stored and
// those equal to their defaults.
#include <string>
#include <string_view>

#include "platform/vcl/Classes.h"

namespace vcl {

// Reads `text` into `root`; the outermost object block describes the root itself.
// Throws EParserError for malformed text, EReadError / EClassNotFound for what does not fit.
void ReadRootComponent(TComponent* root, std::string_view text);
// Creates the outermost object of `text` by its class name, owned by `owner`, and reads it.
TComponent* ReadComponent(std::string_view text, TComponent* owner);
// The form file text of `root` with the components it streams.
std::string WriteComponent(TComponent* root);

}  // namespace vcl
