# Checks: a black and white chequerboard of 16-pixel squares.
ISL 1
size 64 64
pattern kind=0 cell=16 color1=255,255,255 color2=0,0,0
