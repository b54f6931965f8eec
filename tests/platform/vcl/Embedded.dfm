object Embedded: TForm
  Left = 0
  Top = 0
  BorderStyle = bsNone
  Caption = 'Embedded'
  ClientHeight = 84
  ClientWidth = 205
  Color = clInfoBk
  object EditAlpha: TEdit
    Left = 8
    Top = 26
    Width = 184
    Height = 21
    Anchors = [akLeft, akTop, akRight]
    TabOrder = 0
  end
end
