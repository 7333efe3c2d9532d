# Grid: thin grey lines every 32 pixels on white, like graph paper.
ISL 1
size 128 128
background 255 255 255
pattern kind=3 cell=32 width=6 color1=255,255,255 color2=120,160,200
pattern kind=3 cell=8 width=10 opacity=40 color1=255,255,255 color2=160,190,220
