# Brick wall: red bricks in running bond with pale mortar joints.
ISL 1
size 256 256
seed 405
background 150 64 46
plasma roughness=70 opacity=55 color1=120,48,34 color2=182,86,62
noise cell=2 opacity=25 color1=110,44,32 color2=190,100,80
pattern kind=6 cell=32 width=40 mode=4 color1=0,0,0 color2=196,188,172
noise cell=1 opacity=10 color1=90,80,70
