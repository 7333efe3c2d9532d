ISL 1
size 9 7
seed 3
perlin cell=3 octaves=2 color1=20,40,60 color2=220,200,180
colorize hue=200 saturation=70 amount=60
edge strength=250 invert=1
bump angle=45 elevation=30 depth=300
emboss2 angle=300 depth=150 grey=0
maximum radius=2
minimum radius=1
100 0=-1e9 1=1e9 2=-1e9
112 0=1000000000 1=-1000000000 2=1e9 3=-1e9
120 0=1e9 1=-1e9 2=0
